#include "source/engine/paradox/paradoxreader.h"

#include <algorithm>
#include <stdexcept>

#include "base/exceptions.h"
#include "source/engine/engineerrors.h"
#include "source/engine/paradox/paradoxformat.h"
#include "source/engine/paradox/paradoxindexes.h"
#include "source/engine/paradox/paradoxunscrambledsource.h"
#include "source/engine/paradox/paradoxvalidity.h"
#include "source/engine/paradox/paradoxvalues.h"

namespace vorendal::engine {
namespace paradox {
namespace {

std::unique_ptr<ByteSource> openMain(const TableFiles& files) {
    auto file = files.main();
    if (!file)
        engineError(errNotFound, "Table file does not exist.", files.mainName());
    return file;
}

// Graphic and OLE values kept in the .MB start with 01 00 00 0x and the u32 length of the rest;
// the value proper is what follows. Anything else is left as stored.
void stripGraphicPrefix(std::string& bytes) {
    if (bytes.size() < 8)
        return;
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    if (b[0] != 0x01 || b[1] != 0x00 || b[2] != 0x00 || b[3] > 0x0F)
        return;
    if (le32(b + 4) != bytes.size() - 8)
        return;
    bytes.erase(0, 8);
}

} // namespace

ParadoxReader::ParadoxReader(const TableFiles& files, const ReadOptions& options)
    : m_file(openMain(files)), m_header(readParadoxHeader(*m_file, HeaderKind::Table)),
      m_codePage(kDefaultCodePage) {
    bool hasBlobs = false;
    for (const HeaderField& f : m_header.fields)
        hasBlobs =
            hasBlobs || (columnTypeOf(f.code, f.sizeByte).type != ftUnknown && isBlobCode(f.code));
    if (hasBlobs)
        m_blobs = openBlobFile(files);
    // A page number the engine does not know names none.
    const int headerPage = isKnownCodePage(m_header.codePage) ? m_header.codePage : 0;
    m_choice = chooseCodePage(files, options, headerPage, [this] { return textSample(); });
    m_codePage = CodePage(m_choice.number, options.delivery);

    std::vector<std::string> names;
    for (const HeaderField& f : m_header.fields) {
        const ColumnType ct = columnTypeOf(f.code, f.sizeByte);
        m_fields.push_back({m_codePage.toText(f.rawName), ct.type, ct.size, false});
        m_columns.push_back({f.code, ct.type, f.offset, f.width});
        names.push_back(m_fields.back().name);
    }

    readRules(files);

    m_indexes = readParadoxIndexes(m_header, names, files);
    m_cursor = std::make_unique<ParadoxBlockCursor>(*m_file, m_header);
}

// The validity checks file (.VAL) and the autoincrement counter of the header. A missing .VAL
// only means that the table has no checks; one that cannot be opened or read is reported in the
// rules, never as a failure of the table.
void ParadoxReader::readRules(const TableFiles& files) {
    ParadoxValidity validity;
    try {
        if (const auto val = files.companion("VAL"))
            validity = readParadoxValidity(m_header, *val, m_codePage);
    } catch (const Exception& e) {
        validity.rules.notDecoded.push_back("The validity checks file (.VAL) cannot be opened: " +
                                            e.message());
    }
    for (std::size_t c = 0; c < validity.required.size() && c < m_fields.size(); ++c)
        m_fields[c].required = validity.required[c] && m_fields[c].type != ftAutoInc;
    m_rules = std::move(validity.rules);
    m_rules.fields.resize(m_fields.size());
    // header 0x49: the last autoincrement value given out (not the next one: a table of three
    // records numbered 1 to 3 keeps 3)
    unsigned char last[4] = {};
    if (!m_file->read(0x49, last, sizeof last))
        return;
    for (std::size_t c = 0; c < m_fields.size(); ++c)
        if (m_header.fields[c].code == kAutoInc)
            m_rules.fields[c].autoIncrement =
                AutoIncrement{static_cast<std::int64_t>(le32(last)) + 1, 1};
}

std::unique_ptr<ParadoxBlobFile> ParadoxReader::openBlobFile(const TableFiles& files) const {
    // The .MB is needed only by values longer than their leader; its absence is reported when
    // such a value is read, so the rest of the table stays readable.
    std::string reason = "The blob file (.MB) of the table is missing.";
    std::unique_ptr<ByteSource> mb;
    try {
        mb = files.companion("MB");
    } catch (const Exception& e) {
        reason = "The blob file (.MB) of the table cannot be opened: " + e.message();
    }
    if (mb && m_header.encrypted()) // a protected table scrambles its .MB whole
        mb = std::make_unique<ParadoxUnscrambledSource>(std::move(mb), m_header.encryptionKey);
    return std::make_unique<ParadoxBlobFile>(std::move(mb), m_file->name(), reason);
}

// The raw text of the table's first records and memos, for detecting its code page.
std::string ParadoxReader::textSample() const {
    TextSample sample;
    try {
        ParadoxBlockCursor cursor(*m_file, m_header);
        const std::uint64_t records =
            TextSample::kRecordBytes / std::max<std::uint64_t>(1, m_header.recordSize) + 1;
        std::size_t memos = 0;
        bool more = cursor.first();
        for (std::uint64_t r = 0; more && r < records && !sample.full(); ++r) {
            for (const HeaderField& f : m_header.fields) {
                const unsigned char* field = cursor.record() + f.offset;
                if (f.code == kAlpha) {
                    const std::string_view raw(reinterpret_cast<const char*>(field), f.width);
                    sample.add(raw.substr(0, raw.find('\0')));
                } else if (f.code == kMemo && memos < TextSample::kMemos) {
                    sampleMemo(field, f.width, sample);
                    ++memos;
                }
            }
            more = cursor.next();
        }
    } catch (const Exception&) {
        // A damaged table: detection makes do with what could be read; reading reports the rest.
    }
    return sample.text();
}

// The memo's text when it is short, else the leader that the record holds.
void ParadoxReader::sampleMemo(const unsigned char* field, std::uint32_t width,
                               TextSample& sample) const {
    if (width < kBlobTrailerSize)
        return;
    const std::size_t leader = width - kBlobTrailerSize;
    const std::uint32_t length = le32(field + leader + 4);
    std::string text;
    try {
        if (length > leader && length <= TextSample::kMemoBytes && m_blobs)
            m_blobs->read(le32(field + leader), length, text);
    } catch (const Exception&) {
        text.clear(); // a damaged memo: its leader still tells
    }
    if (text.empty())
        text.assign(reinterpret_cast<const char*>(field), std::min<std::size_t>(length, leader));
    sample.add(text);
}

bool ParadoxReader::first() {
    m_onRecord = false;
    m_recordNumber = 0;
    if (m_blobs)
        m_blobs->startPass();
    m_onRecord = m_cursor->first();
    m_recordNumber = m_onRecord ? 1 : 0;
    return m_onRecord || endOfRecords();
}

bool ParadoxReader::next() {
    if (!m_onRecord)
        return false;
    m_onRecord = false;
    m_onRecord = m_cursor->next();
    if (m_onRecord)
        ++m_recordNumber;
    return m_onRecord || (m_cursor->chainEnded() && endOfRecords());
}

std::uint64_t ParadoxReader::storedRecords() const {
    // a protected block's header is read with its whole first chunk: such tables are read whole
    if (m_header.encrypted())
        return 0;
    return std::uint64_t{m_header.usedBlocks} * m_cursor->slotsPerBlock();
}

bool ParadoxReader::seekStored(std::uint64_t from, std::uint64_t end) {
    // the last stretch reads on to the chain's end, wherever the header says it is
    if (end >= storedRecords())
        end = ParadoxBlockCursor::kNoEnd;
    m_onRecord = m_cursor->seekSlot(from, end);
    if (m_onRecord) {
        m_recordNumber = m_cursor->recordNumber();
        return true;
    }
    if (!m_cursor->chainEnded())
        return false;
    m_recordNumber = m_cursor->recordsPassed();
    return endOfRecords();
}

// At the end of the chain: false, unless the header counts more records than every block of the
// file could hold (as dBASE tables report a count beyond their file).
bool ParadoxReader::endOfRecords() const {
    const std::uint64_t fileSize = m_file->size();
    const std::uint64_t blocks =
        fileSize > m_header.headerSize
            ? (fileSize - m_header.headerSize + m_header.blockSize - 1) / m_header.blockSize
            : 0;
    const std::uint64_t perBlock = (m_header.blockSize - kBlockHeaderSize) / m_header.recordSize;
    if (m_header.recordCount > blocks * perBlock)
        engineError(errCorrupt,
                    "The table file is truncated: it holds " + std::to_string(m_recordNumber) +
                        " of the " + std::to_string(m_header.recordCount) +
                        " records its header counts.",
                    m_file->name());
    return false;
}

void ParadoxReader::value(std::size_t column, Value& out) {
    if (!m_onRecord || column >= m_columns.size())
        throw std::out_of_range("Paradox table: no such column or no current record");
    const Column& c = m_columns[column];
    const unsigned char* field = m_cursor->record() + c.offset;
    m_valueDamaged = false;
    m_valueCut = false;
    if (c.type == ftUnknown) {
        out.setNull();
        return;
    }
    if (isBlobCode(c.code)) {
        readBlob(column, field, out);
        return;
    }
    if (c.code == kAlpha)
        m_valueCut = decodeAlphaTellingCut(field, c.width, m_codePage, out);
    else if (!decodeFixedValue(c.type, field, c.width, m_codePage, out))
        engineError(errCorrupt, "The value of column \"" + m_fields[column].name + "\" is damaged.",
                    m_file->name());
}

void ParadoxReader::readBlob(std::size_t columnIndex, const unsigned char* field, Value& out) {
    const Column& column = m_columns[columnIndex];
    // The field holds a leader (the value's first bytes) and a 10-byte trailer: u32 .MB offset
    // with the slot index in its low byte, u32 length, u16 modification number.
    const std::size_t leader = column.width - kBlobTrailerSize;
    const std::uint32_t pointer = le32(field + leader);
    const std::uint32_t length = le32(field + leader + 4);
    out.setNull();
    if (length == 0)
        return;
    const bool memo = column.code == kMemo;
    std::string& target = memo ? m_scratch : out.text;
    if (length <= leader) {
        target.assign(reinterpret_cast<const char*>(field), length);
    } else {
        if (length > kMaxValueBytes)
            valueTooLarge(m_fields[columnIndex].name, m_recordNumber, m_blobs->name());
        try {
            m_blobs->read(pointer, length, target);
        } catch (const ParadoxBlobFile::Damaged&) {
            out.setNull();
            m_valueDamaged = true;
            return;
        }
        if (column.code == kGraphic || column.code == kOle)
            stripGraphicPrefix(target);
    }
    if (memo) {
        m_codePage.appendText(m_scratch, out.startLongText(m_scratch.size()));
        m_valueCut = textFollowsZero(m_scratch);
    } else
        out.kind = Value::Kind::Bytes;
    // a value near the limit leaves the buffer that large: give it back
    constexpr std::size_t kKeptCapacity = 1 << 20;
    if (m_scratch.capacity() > kKeptCapacity)
        std::string().swap(m_scratch);
}

} // namespace paradox

std::unique_ptr<TableReader> openParadoxTable(const TableFiles& files, const ReadOptions& options) {
    return std::make_unique<paradox::ParadoxReader>(files, options);
}

} // namespace vorendal::engine
