#include "cli/tablefiles.h"

#include <algorithm>
#include <filesystem>

namespace vorendal::cli {
namespace {

namespace fs = std::filesystem;

bool isTableName(const std::string& name) {
    auto endsWith = [&name](std::string_view extension) {
        if (name.size() <= extension.size())
            return false;
        for (std::size_t i = 0; i < extension.size(); ++i) {
            char c = name[name.size() - extension.size() + i];
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
            if (c != extension[i])
                return false;
        }
        return true;
    };
    return endsWith(".db") || endsWith(".dbf");
}

void addFolder(const fs::path& folder, bool recursive, std::vector<std::string>& tables) {
    std::vector<std::string> files;
    std::vector<fs::path> folders;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        std::error_code kind;
        if (entry.is_directory(kind)) {
            if (recursive)
                folders.push_back(entry.path());
        } else if (isTableName(entry.path().filename().native()) && entry.is_regular_file(kind)) {
            files.push_back(entry.path().native());
        }
    }
    std::sort(files.begin(), files.end());
    tables.insert(tables.end(), files.begin(), files.end());
    std::sort(folders.begin(), folders.end());
    for (const fs::path& sub : folders)
        addFolder(sub, recursive, tables);
}

} // namespace

std::vector<std::string> tableFilesOf(const std::vector<std::string>& operands, bool recursive,
                                      std::vector<std::string>& missing) {
    std::vector<std::string> tables;
    for (const std::string& operand : operands) {
        std::error_code ec;
        const fs::file_status status = fs::status(fs::path(operand), ec);
        if (fs::is_directory(status))
            addFolder(fs::path(operand), recursive, tables);
        else if (fs::exists(status))
            tables.push_back(operand);
        else
            missing.push_back(operand);
    }
    return tables;
}

} // namespace vorendal::cli
