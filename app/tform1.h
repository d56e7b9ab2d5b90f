#pragma once

#include <chrono>
#include <cstdint>

#include <QString>
#include <QWidget>

#include "app/prompts.h"
#include "designer/designerscript.h"
#include "scripts/regionalsettings.h"
#include "source/ttable.h"

class QAbstractButton;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTextEdit;
class QToolButton;

namespace vorendal {

class DirectoryListBox;
class DriveComboBox;
class FileListBox;
class ScriptPane;
class StringGrid;

// The main window, Form1. It owns every control and the table component for the whole run; each
// handler gathers its inputs from the controls and calls one function of its subsystem. Handlers
// are entered through guarded(), so an error they throw goes to the error display.
class TForm1 : public QWidget {
    Q_OBJECT

public:
    // prompts: the dialogs and message boxes; it must outlive the window.
    explicit TForm1(Prompts& prompts, QWidget* parent = nullptr);
    ~TForm1() override;

    // Handlers. Each may throw; the connections in the constructor wrap them in guarded().
    void BitBtn1Click();      // "SQL": structure script
    void BitBtn2Click();      // "Limpar": clears the script pane
    void BitBtn3Click();      // "Salvar": saves the script pane
    void BitBtn4Click();      // "Stored": insert-procedure script
    void BitBtn5Click();      // "Fim": closes the window, which ends the program
    void BitBtn6Click();      // "Importar": data export
    void BitBtn7Click();      // "Criar tabela"
    void BitBtn8Click();      // "Salvar" (table definition file)
    void BitBtn9Click();      // "Ler" (table definition file)
    void BitBtn10Click();     // "Para cima"
    void BitBtn11Click();     // "Para baixo"
    void BitBtn12Click();     // "Limpar" (designer grid)
    void BitBtn13Click();     // "Alterar tabela"
    void SpeedButton1Click(); // mask "*.dbf"
    void SpeedButton2Click(); // mask "*.db"
    void DriveComboBox1Change(int index);
    void DirectoryListBox1Open(int row);
    void FormShow();
    // The designer grid's edit-text event: shows the hint of column ACol on Label4.
    void criatabelaGetEditText(QObject* Sender, int ACol, int ARow, QString& Value);

    // Sets up the designer grid when the window is shown: headings and row numbers; the field
    // cells are left as they are.
    void setupDesignerGrid();

    // The user's regional settings as the data export uses them: read from the system locale when
    // the window is made and again whenever the system announces a change.
    const RegionalSettings& regionalSettings() const { return m_regionalSettings; }

    // The table definition file dialogs: their settings, and the full name last confirmed.
    FileDialogRequest salvartabela;
    FileDialogRequest Lertabela;

    // The table component of the table source.
    TTable Table1;
    // How long a data export runs before its progress dialog shows.
    std::chrono::milliseconds exportProgressDelay{500};

    // Controls; each one's objectName is its member name.
    QLabel* Label1 = nullptr;
    DriveComboBox* DriveComboBox1 = nullptr;
    DirectoryListBox* DirectoryListBox1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label6 = nullptr;
    FileListBox* FileListBox1 = nullptr;
    QLabel* Image2 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn3 = nullptr;
    QPushButton* BitBtn4 = nullptr;
    QPushButton* BitBtn5 = nullptr;
    QPushButton* BitBtn6 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet3 = nullptr;
    ScriptPane* RichEdit1 = nullptr;
    QPlainTextEdit* RichEdit2 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLabel* Label5 = nullptr;
    StringGrid* criatabela = nullptr;
    QTextEdit* Memo1 = nullptr;
    QLabel* Label4 = nullptr;
    QPushButton* BitBtn7 = nullptr;
    QPushButton* BitBtn8 = nullptr;
    QPushButton* BitBtn9 = nullptr;
    QPushButton* BitBtn10 = nullptr;
    QPushButton* BitBtn11 = nullptr;
    QPushButton* BitBtn12 = nullptr;
    QPushButton* BitBtn13 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void createBrowser();
    void createCommandButtons();
    void createPages();
    void createDesignerPage();
    void createStatusBar();
    void setTabOrder();
    void connectHandlers();
    void startBrowser();
    void onClick(QAbstractButton* button, void (TForm1::*handler)());
    void setUpTableDefinitionDialogs();
    // "Criar tabela" and "Alterar tabela": the script file in the current directory, shown on
    // page "SQL".
    void runDesignerScript(DesignerScript kind);

    Prompts& m_prompts;
    // The save dialog's offer: the root at first, then the full name last confirmed.
    QString m_scriptSavePath;
    RegionalSettings m_regionalSettings;
    // Characters typed or pasted into the script pane since the last click that became '?'.
    std::uint64_t m_typedReplaced = 0;
};

} // namespace vorendal
