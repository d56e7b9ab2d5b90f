#pragma once

#include <memory>
#include <string>
#include <vector>

#include "source/engine/codepage.h"
#include "source/engine/paradox/paradoxblobfile.h"
#include "source/engine/paradox/paradoxblockcursor.h"
#include "source/engine/paradox/paradoxheader.h"
#include "source/engine/tablereader.h"

namespace vorendal::engine::paradox {

// A Paradox table (levels 3.0 to 7.x) opened for reading: structure from the .DB header, index
// definitions from the .Xnn/.XGn companions, required flags and rules from the .VAL, records along
// the block chain, blob values from the .MB. Values are decoded only for the column asked for. The
// data blocks and the .MB of a password-protected table are unscrambled as they are read; no
// password is needed.
class ParadoxReader : public TableReader {
public:
    // Reads the header and the companions' structure. Throws EDBEngineError (not a Paradox
    // table, unsupported version, damaged header).
    // The text's code page is chosen as chooseCodePage() says, from the header's code page.
    explicit ParadoxReader(const TableFiles& files, const ReadOptions& options = {});
    // The cursor refers to the header held here: the reader stays where it was made.
    ParadoxReader(const ParadoxReader&) = delete;
    ParadoxReader& operator=(const ParadoxReader&) = delete;

    const std::vector<FieldDescription>& fields() const override { return m_fields; }
    const std::vector<IndexDescription>& indexes() const override { return m_indexes; }
    // Records come along the block chain. When the chain ends while the header counts more
    // records than the file's blocks can hold, the file was cut short: EDBEngineError errCorrupt
    // "The table file is truncated: ...", after every record that could be read.
    bool first() override;
    bool next() override;
    // A blob value that needs a missing .MB throws errMemo, as does a blob longer than
    // kMaxValueBytes, before anything of it is read. One that the .MB does not hold as its
    // pointer says (a damaged block or pointer, a file cut short) reads as Null and is flagged by
    // valueDamaged(); nothing is guessed. Alpha and memo text ends at its first zero byte
    // (valueCut() when more text follows it).
    void value(std::size_t column, Value& out) override;
    CodePageChoice codePage() const override { return m_choice; }
    std::uint64_t recordCount() const override { return m_header.recordCount; }
    // Slots of the blocks the header counts, each block taken as full (a stretch of a table
    // read in stretches is a run of blocks along the chain); 0 for a protected table.
    std::uint64_t storedRecords() const override;
    bool seekStored(std::uint64_t from, std::uint64_t end) override;
    std::uint64_t recordNumber() const override { return m_onRecord ? m_recordNumber : 0; }
    bool passwordProtected() const override { return m_header.encrypted(); }
    const TableRules& rules() const override { return m_rules; }
    std::uint64_t replacedCharacters() const override { return m_codePage.replacedCharacters(); }

private:
    struct Column {
        std::uint8_t code;
        TFieldType type;
        std::uint32_t offset;
        std::uint32_t width;
    };

    void readBlob(std::size_t columnIndex, const unsigned char* field, Value& out);
    bool endOfRecords() const;
    std::unique_ptr<ParadoxBlobFile> openBlobFile(const TableFiles& files) const;
    void readRules(const TableFiles& files);
    std::string textSample() const;
    void sampleMemo(const unsigned char* field, std::uint32_t width, TextSample& sample) const;

    std::unique_ptr<ByteSource> m_file;
    ParadoxHeader m_header;
    CodePageChoice m_choice;
    CodePage m_codePage;
    std::vector<FieldDescription> m_fields;
    std::vector<IndexDescription> m_indexes;
    TableRules m_rules;
    std::vector<Column> m_columns;
    std::unique_ptr<ParadoxBlobFile> m_blobs;
    std::unique_ptr<ParadoxBlockCursor> m_cursor;
    std::string m_scratch; // raw memo bytes before code page conversion
    bool m_onRecord = false;
    std::uint64_t m_recordNumber = 0; // position of the current record in table order, from 1
};

} // namespace vorendal::engine::paradox
