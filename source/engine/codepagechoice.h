#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "source/engine/bytesource.h"
#include "source/engine/codepage.h"

namespace vorendal::engine {

// UTF-8 as a table's code page, under the number Windows gives it.
constexpr int kUtf8CodePage = 65001;
// The page of a table that names none and whose text gives no clear sign: DOS 437, which the
// DOS programs of the time (dBASE III, Clipper, Paradox 3) used by default.
constexpr int kDefaultCodePage = 437;

// Why a table's text is read under its page, in the order of precedence.
enum class CodePageReason : std::uint8_t {
    Option,   // the caller forced it (vorendal-cli --codepage)
    Cpg,      // a .cpg file beside the table names it
    Header,   // the table's header names it
    Detected, // chosen from the bytes of the table's own text
    Default   // nothing said anything: 437
};

struct CodePageChoice {
    int number = kDefaultCodePage;
    CodePageReason reason = CodePageReason::Default;
    // A .cpg file that lay beside the table but could not be used (1252 text); empty otherwise.
    std::string warning;
};

// What the caller asks of the opening of a table.
struct ReadOptions {
    // Read every text of the table under this page, whatever the table and its .cpg say.
    std::optional<int> codePage;
    // The encoding of every text handed out: field names, index keys and values.
    TextDelivery delivery = TextDelivery::Ansi;
};

// "option", "cpg", "header", "detected", "default".
const char* codePageReasonName(CodePageReason reason);
// A page as users write it: "850", "1252", "utf-8".
std::string codePageName(int number);
// A page as a user or a .cpg file names it, in any case and with blanks around: "850", "CP850",
// "IBM850", "OEM 850", "ANSI 1252", "windows-1252", "ISO-8859-1", "UTF-8", "utf8". nullopt when
// the text names no page that the engine converts.
std::optional<int> codePageFromName(std::string_view text);
// True for every page whose text the engine converts.
bool isKnownCodePage(int number);
// Those pages in ascending order.
std::vector<int> knownCodePages();

// Collects the raw text of a table for detection: only texts with a byte above 127 are kept,
// one per line, up to a bounded size.
class TextSample {
public:
    // How much of a table the readers look at: the records in its first 256 KiB, the first few
    // memos, and at most 32 KiB of kept text.
    static constexpr std::uint64_t kRecordBytes = 256 * 1024;
    static constexpr std::size_t kMemos = 16;
    static constexpr std::size_t kMemoBytes = 16 * 1024;
    static constexpr std::size_t kKeptBytes = 32 * 1024;

    void add(std::string_view text);
    bool full() const { return m_text.size() >= kKeptBytes; }
    const std::string& text() const { return m_text; }

private:
    std::string m_text;
};

// The page of one table, in the order of precedence: options.codePage, a .cpg companion of files,
// headerPage (0 when the header names none, or names one the reader does not know), detection
// from sample() (called only when it is needed; it returns the table's raw text), 437.
// A .cpg that says "OEM" names a DOS page without saying which: detection then chooses among the
// DOS pages. An unreadable or unknown .cpg is passed over, with a warning in the result.
CodePageChoice chooseCodePage(const TableFiles& files, const ReadOptions& options, int headerPage,
                              const std::function<std::string()>& sample);

} // namespace vorendal::engine
