#include "app/folderbrowsing.h"

#include <algorithm>
#include <system_error>

#include "base/exceptions.h"

namespace vorendal {
namespace {

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isHidden(std::string_view name) {
    return !name.empty() && name.front() == '.';
}

[[noreturn]] void throwFolderError(const std::error_code& ec) {
    throw EInOutError(ioCodeFromErrno(ec.value()));
}

// Names of the entries of folder for which keep(entry) holds.
template <typename Keep>
std::vector<std::string> folderNames(const std::filesystem::path& folder, Keep keep,
                                     const NameSorter& sorter) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec)
        throwFolderError(ec);
    std::vector<std::string> names;
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec)
            break;
        std::string name = it->path().filename().native();
        if (!isHidden(name) && keep(*it, name))
            names.push_back(std::move(name));
    }
    if (ec)
        throwFolderError(ec);
    sorter(names);
    return names;
}

} // namespace

bool maskMatches(std::string_view name, std::string_view pattern) {
    // Iterative matching with one back-track point: linear in the lengths, no recursion.
    std::size_t n = 0;
    std::size_t p = 0;
    std::size_t starPattern = std::string_view::npos;
    std::size_t starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() &&
            (pattern[p] == '?' || lowerAscii(pattern[p]) == lowerAscii(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starPattern = p++;
            starName = n;
        } else if (starPattern != std::string_view::npos) {
            p = starPattern + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

std::vector<std::string> splitMask(std::string_view mask) {
    std::vector<std::string> patterns;
    std::size_t start = 0;
    while (start <= mask.size()) {
        const std::size_t end = std::min(mask.find(';', start), mask.size());
        if (end > start)
            patterns.emplace_back(mask.substr(start, end - start));
        start = end + 1;
    }
    return patterns;
}

bool lessIgnoringCase(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto ca = static_cast<unsigned char>(lowerAscii(a[i]));
        const auto cb = static_cast<unsigned char>(lowerAscii(b[i]));
        if (ca != cb)
            return ca < cb;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

void sortIgnoringCase(std::vector<std::string>& names) {
    std::sort(names.begin(), names.end(), lessIgnoringCase);
}

bool sameFolderName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lowerAscii(x) == lowerAscii(y);
           });
}

std::vector<std::string> listFolderFiles(const std::filesystem::path& folder, std::string_view mask,
                                         const NameSorter& sorter) {
    const std::vector<std::string> patterns = splitMask(mask);
    auto names = folderNames(
        folder,
        [&](const std::filesystem::directory_entry& entry, const std::string& name) {
            std::error_code ec;
            if (!entry.is_regular_file(ec))
                return false;
            return std::any_of(patterns.begin(), patterns.end(),
                               [&](const std::string& p) { return maskMatches(name, p); });
        },
        sorter);
    return names;
}

std::string joinFolderAndName(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (path.empty() || path.back() != '/')
        path += '/';
    path += name;
    return path;
}

std::vector<FolderEntry> folderTreeEntries(const std::filesystem::path& folder,
                                           const NameSorter& sorter) {
    const std::filesystem::path normal = folder.lexically_normal();
    std::vector<FolderEntry> entries;
    std::string path;
    int level = 0;
    for (const auto& part : normal) {
        const std::string& name = part.native();
        if (name.empty())
            continue; // the trailing empty part of a path ending in "/"
        path = name == "/" ? name : joinFolderAndName(path, name);
        entries.push_back({name, path, level++, FolderEntry::Kind::Path});
    }
    if (entries.empty())
        entries.push_back({"/", "/", level++, FolderEntry::Kind::Path});
    entries.back().kind = FolderEntry::Kind::Current;

    const auto subfolders = folderNames(
        normal,
        [](const std::filesystem::directory_entry& entry, const std::string&) {
            std::error_code ec;
            return entry.is_directory(ec);
        },
        sorter);
    for (const auto& name : subfolders)
        entries.push_back(
            {name, joinFolderAndName(path, name), level, FolderEntry::Kind::Subfolder});
    return entries;
}

std::filesystem::path enterFolder(const std::filesystem::path& previous,
                                  const std::filesystem::path& target) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const bool previousExists = !previous.empty() && fs::is_directory(previous, ec);
    if (previousExists)
        fs::current_path(previous, ec);
    fs::current_path(target, ec);
    if (ec) {
        const std::error_code failure = ec;
        if (previousExists)
            fs::current_path(previous, ec);
        throwFolderError(failure);
    }
    fs::path now = fs::current_path(ec);
    if (ec)
        throwFolderError(ec);
    return now;
}

} // namespace vorendal
