#include "app/application.h"
#include "app/qtprompts.h"
#include "app/tform1.h"

int main(int argc, char** argv) {
    vorendal::Application app(argc, argv);
    vorendal::QtPrompts prompts(app.title());
    app.setErrorPrompts(&prompts);
    vorendal::TForm1 form(prompts);
    form.show();
    const int result = vorendal::Application::exec();
    app.setErrorPrompts(nullptr);
    return result;
}
