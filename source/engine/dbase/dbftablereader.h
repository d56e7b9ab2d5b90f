#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "source/engine/dbase/dbfheader.h"
#include "source/engine/dbase/dbfmemofile.h"
#include "source/engine/dbase/dbftextconverter.h"
#include "source/engine/tablereader.h"

namespace vorendal::engine::dbf {

// A dBASE / FoxPro table opened for reading: structure, index tags and a forward cursor over the
// live records. Records are read in blocks of whole records (about 64 KiB); a value is decoded
// only when asked for.
//
// Memo values: a blank or zero pointer is Null. One damaged memo (a pointer that is not a number,
// a block in the header or past the end of the memo file, a length that runs past its end, a
// memo shared with an earlier record) reads as Null and is flagged by valueDamaged(), so that it
// does not stop an export and is still reported; its bytes are never guessed at. A memo longer
// than kMaxValueBytes raises EDBEngineError (errMemo) naming the record and field. When the memo
// file itself is missing or its header is damaged, every memo would be lost: reading a memo
// value then raises EDBEngineError (errMemo), while the structure and every other value still
// read.
//
// Text, in a field or a memo, ends at its first zero byte; when more text follows that byte, the
// value is flagged by valueCut().
//
// A character field of width 0 holds no byte: it reads as an empty text field of size 0, so that
// the fields after it keep their own values.
//
// A table file that ends before the records its header counts delivers every whole record, then
// raises EDBEngineError (errCorrupt) "The table file is truncated: ...".
class DbfTableReader final : public TableReader {
public:
    // Reads the header, opens the memo file (if the table has memo fields) and reads the tags of
    // the production index. Throws EDBEngineError when the table file is missing or its header
    // does not add up; a missing or damaged index file only leaves indexes() short.
    // The text's code page is chosen as chooseCodePage() says, from the header's language driver.
    explicit DbfTableReader(const TableFiles& files, const ReadOptions& options = {});

    const std::vector<FieldDescription>& fields() const override { return m_fields; }
    const std::vector<IndexDescription>& indexes() const override { return m_indexes; }
    bool first() override;
    bool next() override;
    // Throws std::out_of_range for a column past fields(); EDBEngineError for an unreadable memo.
    void value(std::size_t column, Value& out) override;
    CodePageChoice codePage() const override { return m_codePage; }
    std::uint64_t recordCount() const override { return m_header.recordCount; }
    std::uint64_t storedRecords() const override { return m_header.recordCount; }
    bool seekStored(std::uint64_t from, std::uint64_t end) override;
    std::uint64_t recordNumber() const override { return m_record ? m_current + 1 : 0; }
    const TableRules& rules() const override { return m_rules; }
    std::uint64_t replacedCharacters() const override { return m_text.replacedCharacters(); }

private:
    bool seek(std::uint64_t index);
    const char* recordAt(std::uint64_t index);
    bool flagSet(int bit) const;
    void readMemo(std::string_view raw, bool text, std::size_t column, Value& out);
    [[noreturn]] void truncated() const;
    static void replaceSoftReturns(std::string& bytes);
    void openMemo(const TableFiles& files);
    void readIndexes(const TableFiles& files);
    void chooseTextCodePage(const TableFiles& files, const ReadOptions& options);
    std::string textSample();
    bool sampleMemo(std::string_view raw, TextSample& sample);

    std::unique_ptr<ByteSource> m_file;
    DbfHeader m_header;
    CodePageChoice m_codePage;
    DbfTextConverter m_text;
    std::unique_ptr<DbfMemoFile> m_memo;
    std::vector<FieldDescription> m_fields;
    std::vector<std::size_t> m_columns; // reported column -> index in m_header.fields
    std::vector<IndexDescription> m_indexes;
    TableRules m_rules;

    std::vector<char> m_buffer;
    std::uint64_t m_recordsPerBlock = 1;
    std::uint64_t m_bufferFirst = 0;
    std::uint64_t m_bufferCount = 0;
    std::uint64_t m_end = 0; // the reading stops before this stored record
    std::uint64_t m_current = 0;
    const char* m_record = nullptr; // current record, or nullptr
    std::string m_memoBytes;
};

} // namespace vorendal::engine::dbf
