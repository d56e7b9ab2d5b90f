#include "source/engine/codepagechoice.h"

#include <algorithm>

#include "base/exceptions.h"
#include "source/engine/codepage.h"
#include "source/engine/codepagedetection.h"

namespace vorendal::engine {
namespace {

// A .cpg holds one short line; anything past this is not a code page name.
constexpr std::size_t kCpgBytes = 256;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string upperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

bool allDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// What a .cpg file says: a page, "OEM" (some DOS page), or nothing usable.
struct CpgContent {
    std::optional<int> page;
    bool oem = false;
};

CpgContent readCpg(const TableFiles& files, std::string& warning) {
    std::unique_ptr<ByteSource> source;
    std::string bytes;
    try {
        source = files.companion("cpg");
        if (!source)
            return {};
        bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(source->size(), kCpgBytes)));
        if (!source->read(0, bytes.data(), bytes.size())) {
            warning = "The code page file " + source->name() +
                      " cannot be read; the table's own code page is used";
            return {};
        }
    } catch (const Exception& e) {
        warning = "The code page file of the table cannot be read (" + e.message() +
                  "); the table's own code page is used";
        return {};
    }
    std::string_view text(bytes);
    if (startsWith(text, "\xEF\xBB\xBF")) // a byte-order mark that some editors write
        text.remove_prefix(3);
    text = trimmed(text.substr(0, text.find_first_of("\r\n")));
    if (upperAscii(text) == "OEM")
        return {std::nullopt, true};
    if (const auto page = codePageFromName(text))
        return {page, false};
    warning = "The code page file " + source->name() + " names no known code page (\"" +
              std::string(text.substr(0, 40)) + "\"); the table's own code page is used";
    return {};
}

} // namespace

const char* codePageReasonName(CodePageReason reason) {
    switch (reason) {
    case CodePageReason::Option:
        return "option";
    case CodePageReason::Cpg:
        return "cpg";
    case CodePageReason::Header:
        return "header";
    case CodePageReason::Detected:
        return "detected";
    case CodePageReason::Default:
        break;
    }
    return "default";
}

std::string codePageName(int number) {
    return number == kUtf8CodePage ? "utf-8" : std::to_string(number);
}

std::optional<int> codePageFromName(std::string_view text) {
    std::string name = upperAscii(trimmed(text));
    if (name == "UTF-8" || name == "UTF8")
        return kUtf8CodePage;
    if (name == "ANSI")
        return 1252;
    if (name == "LATIN1" || name == "LATIN-1" || name == "88591" || name == "8859-1" ||
        name == "ISO-8859-1" || name == "ISO8859-1" || name == "ISO 8859-1" || name == "ISO88591" ||
        name == "ISO_8859-1")
        return 28591;
    // "ANSI 1252", "OEM 850", "CP850", "IBM437", "WINDOWS-1252", "MS-DOS 850", "DOS850"
    for (const char* prefix : {"WINDOWS", "ANSI", "OEM", "IBM", "MS-DOS", "DOS", "WIN", "CP"}) {
        if (startsWith(name, prefix)) {
            name.erase(0, std::string_view(prefix).size());
            while (!name.empty() && (name[0] == ' ' || name[0] == '-' || name[0] == '_'))
                name.erase(0, 1);
            break;
        }
    }
    if (!allDigits(name) || name.size() > 5)
        return std::nullopt;
    const int number = std::stoi(name);
    if (!isKnownCodePage(number))
        return std::nullopt;
    return number;
}

bool isKnownCodePage(int number) {
    return CodePage(number).known();
}

std::vector<int> knownCodePages() {
    return CodePage::knownNumbers();
}

void TextSample::add(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0'))
        text.remove_suffix(1); // the padding of fixed-width fields tells nothing
    if (full() || std::none_of(text.begin(), text.end(),
                               [](char c) { return static_cast<unsigned char>(c) > 127; }))
        return;
    m_text.append(text.substr(0, kKeptBytes - m_text.size()));
    m_text += '\n';
}

CodePageChoice chooseCodePage(const TableFiles& files, const ReadOptions& options, int headerPage,
                              const std::function<std::string()>& sample) {
    if (options.codePage)
        return {*options.codePage, CodePageReason::Option, {}};
    std::string warning;
    const CpgContent cpg = readCpg(files, warning);
    if (cpg.page)
        return {*cpg.page, CodePageReason::Cpg, {}};
    if (cpg.oem)
        return {detectCodePage(sample(), kDosCodePages).number, CodePageReason::Cpg, {}};
    if (headerPage != 0)
        return {headerPage, CodePageReason::Header, warning};
    const DetectedCodePage detected = detectCodePage(sample(), kDetectedCodePages);
    return {detected.number, detected.clear ? CodePageReason::Detected : CodePageReason::Default,
            warning};
}

} // namespace vorendal::engine
