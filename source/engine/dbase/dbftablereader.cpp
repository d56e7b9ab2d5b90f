#include "source/engine/dbase/dbftablereader.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "base/exceptions.h"
#include "source/engine/codepagechoice.h"
#include "source/engine/dbase/dbfbytes.h"
#include "source/engine/dbase/dbfindexfiles.h"
#include "source/engine/dbase/dbfrules.h"
#include "source/engine/dbase/dbfvalues.h"
#include "source/engine/engineerrors.h"

namespace vorendal::engine::dbf {
namespace {

constexpr std::uint64_t kBlockBytes = 64 * 1024;
constexpr char kDeleted = '*';

std::unique_ptr<ByteSource> openMain(const TableFiles& files) {
    auto file = files.main();
    if (!file)
        engineError(errNotFound, "Table file does not exist.", files.mainName());
    return file;
}

// A companion index file, or nullptr when it is absent or cannot be opened: a table never
// fails because of its index.
std::unique_ptr<ByteSource> indexCompanion(const TableFiles& files, const char* extension) {
    try {
        return files.companion(extension);
    } catch (const EDBEngineError&) {
        return nullptr;
    }
}

} // namespace

DbfTableReader::DbfTableReader(const TableFiles& files, const ReadOptions& options)
    : m_file(openMain(files)), m_header(readDbfHeader(*m_file)), m_text(kDefaultDbfCodePage) {
    m_recordsPerBlock = std::max<std::uint64_t>(1, kBlockBytes / m_header.recordLength);
    m_end = m_header.recordCount;
    openMemo(files);
    chooseTextCodePage(files, options);
    for (std::size_t i = 0; i < m_header.fields.size(); ++i) {
        const DbfField& f = m_header.fields[i];
        if (f.hidden)
            continue;
        m_fields.push_back(FieldDescription{f.name, f.type, f.size, f.required});
        m_columns.push_back(i);
    }
    readIndexes(files);
    // The header is read again only for its rules: the header reader keeps none of its bytes.
    std::string header(m_header.headerLength, '\0');
    if (m_file->read(0, header.data(), header.size()))
        m_rules = readDbfRules(m_header, header, m_columns, m_text);
    else
        m_rules.fields.resize(m_fields.size());
}

void DbfTableReader::chooseTextCodePage(const TableFiles& files, const ReadOptions& options) {
    m_codePage = chooseCodePage(files, options, m_header.codePage, [this] { return textSample(); });
    m_text = DbfTextConverter(m_codePage.number, options.delivery);
    // The header read the names under its own page (437 when it names none); they are read again
    // under the table's page, which also counts their characters that have no 1252 form.
    for (DbfField& f : m_header.fields)
        f.name = m_text.toAnsi(f.rawName);
}

// The raw text of the table's first records and memos, for detecting its code page.
std::string DbfTableReader::textSample() {
    TextSample sample;
    try {
        const std::uint64_t records =
            std::min(m_header.recordCount,
                     std::max<std::uint64_t>(1, TextSample::kRecordBytes / m_header.recordLength));
        std::size_t memos = 0;
        for (std::uint64_t r = 0; r < records && !sample.full(); ++r) {
            const char* record = recordAt(r);
            for (const DbfField& f : m_header.fields) {
                const std::string_view raw(record + f.offset, f.width);
                if (f.decode == DbfDecode::Text)
                    sample.add(raw);
                else if (f.decode == DbfDecode::MemoText && memos < TextSample::kMemos &&
                         sampleMemo(raw, sample))
                    ++memos;
            }
        }
    } catch (const Exception&) {
        // A damaged table: detection makes do with what could be read; reading reports the rest.
    }
    return sample.text();
}

// Adds the memo that raw points at; false when it points at none. A damaged memo (or memo file)
// adds nothing: reading the value reports it.
bool DbfTableReader::sampleMemo(std::string_view raw, TextSample& sample) {
    std::uint32_t block = 0;
    if (!m_memo || parseMemoPointer(raw, block) != MemoPointer::Block)
        return false;
    try {
        if (m_memo->read(block, m_memoBytes) != DbfMemoFile::Result::Read)
            return true;
    } catch (const Exception&) {
        return true;
    }
    if (m_memo->format() != DbfMemoFile::Format::Fpt)
        replaceSoftReturns(m_memoBytes);
    sample.add(std::string_view(m_memoBytes).substr(0, TextSample::kMemoBytes));
    return true;
}

void DbfTableReader::openMemo(const TableFiles& files) {
    if (!m_header.hasMemoFields)
        return;
    // bit 3 of the version byte (0x8B, 0xCB, 0x8C) marks dBASE IV memo blocks; level 7 has them
    // too
    const auto dbtFormat = (m_header.version & 0x08) || m_header.dialect == DbfDialect::DBase7
                               ? DbfMemoFile::Format::Dbt4
                               : DbfMemoFile::Format::Dbt3;
    auto open = [&](const char* extension) -> std::unique_ptr<DbfMemoFile> {
        auto source = files.companion(extension);
        if (!source)
            return nullptr;
        const bool fpt = extension[0] == 'f';
        return std::make_unique<DbfMemoFile>(std::move(source),
                                             fpt ? DbfMemoFile::Format::Fpt : dbtFormat);
    };
    const bool fox = isFoxProDialect(m_header.dialect);
    m_memo = open(fox ? "fpt" : "dbt");
    if (!m_memo)
        m_memo = open(fox ? "dbt" : "fpt");
}

void DbfTableReader::readIndexes(const TableFiles& files) {
    const std::string stem = std::filesystem::path(files.mainName()).stem().string();
    // byte 28 bit 0: dBASE announces its production .mdx here; FoxPro's structural .cdx (and
    // those of Clipper / Harbour CDX drivers) is used whenever it lies beside the table.
    if (!isFoxProDialect(m_header.dialect) && (m_header.tableFlags & 0x01)) {
        if (auto mdx = indexCompanion(files, "mdx")) {
            m_indexes = readMdxIndexes(*mdx, m_header.fields, stem, m_text);
            return;
        }
    }
    if (auto cdx = indexCompanion(files, "cdx"))
        m_indexes = readCdxIndexes(*cdx, m_header.fields, stem, m_text);
}

const char* DbfTableReader::recordAt(std::uint64_t index) {
    if (index < m_bufferFirst || index >= m_bufferFirst + m_bufferCount) {
        // never past the stretch: a copy reading one stretch of the table reads no other
        const std::uint64_t count = std::min(m_recordsPerBlock, m_end - index);
        const auto bytes = static_cast<std::size_t>(count * m_header.recordLength);
        if (m_buffer.size() < bytes)
            m_buffer.resize(bytes);
        if (!m_file->read(m_header.headerLength + index * m_header.recordLength, m_buffer.data(),
                          bytes))
            engineError(errIo, "Reading the table file failed.", m_file->name());
        m_bufferFirst = index;
        m_bufferCount = count;
    }
    return m_buffer.data() + (index - m_bufferFirst) * m_header.recordLength;
}

bool DbfTableReader::seek(std::uint64_t index) {
    // Byte 0 of a record: '*' deleted, ' ' live. Deleted records are skipped.
    for (; index < m_end; ++index) {
        const char* record = recordAt(index);
        if (record[0] != kDeleted) {
            m_current = index;
            m_record = record;
            return true;
        }
    }
    m_record = nullptr;
    if (m_end == m_header.recordCount && m_header.declaredCount > m_header.recordCount)
        truncated();
    return false;
}

void DbfTableReader::truncated() const {
    engineError(errCorrupt,
                "The table file is truncated: it holds " + std::to_string(m_header.recordCount) +
                    " of the " + std::to_string(m_header.declaredCount) +
                    " records its header counts.",
                m_file->name());
}

bool DbfTableReader::first() {
    if (m_memo)
        m_memo->startPass();
    m_end = m_header.recordCount;
    return seek(0);
}

bool DbfTableReader::seekStored(std::uint64_t from, std::uint64_t end) {
    m_end = std::min(end, m_header.recordCount);
    return seek(std::min(from, m_end));
}

bool DbfTableReader::next() {
    return m_record != nullptr && seek(m_current + 1);
}

bool DbfTableReader::flagSet(int bit) const {
    const DbfField& flags = m_header.fields[static_cast<std::size_t>(m_header.nullFlagsField)];
    const auto b = static_cast<std::size_t>(bit);
    return (byteAt(m_record + flags.offset, b >> 3) >> (b & 7)) & 1;
}

// dBASE's word wrap leaves "soft returns" (0x8D 0x0A) in memo text; they are line breaks to
// the reader, not the letter 0x8D stands for in the DOS code pages.
void DbfTableReader::replaceSoftReturns(std::string& bytes) {
    for (std::size_t at = bytes.find("\x8D\n"); at != std::string::npos;
         at = bytes.find("\x8D\n", at + 2))
        bytes[at] = '\r';
}

void DbfTableReader::readMemo(std::string_view raw, bool text, std::size_t column, Value& out) {
    out.setNull();
    std::uint32_t block = 0;
    const MemoPointer pointer = parseMemoPointer(raw, block);
    if (pointer != MemoPointer::Block) {
        m_valueDamaged = pointer == MemoPointer::Damaged;
        return;
    }
    if (!m_memo)
        engineError(errMemo, "Memo file is missing.", m_file->name());
    std::string& target = text ? m_memoBytes : out.startBytes();
    const DbfMemoFile::Result result = m_memo->read(block, target);
    if (result == DbfMemoFile::Result::TooLarge)
        valueTooLarge(m_fields[column].name, recordNumber(), m_memo->name());
    if (result == DbfMemoFile::Result::Damaged) {
        out.setNull();
        m_valueDamaged = true;
        return;
    }
    if (text) {
        if (m_memo->format() != DbfMemoFile::Format::Fpt)
            replaceSoftReturns(m_memoBytes);
        m_text.append(m_memoBytes, out.startLongText(m_memoBytes.size()));
        m_valueCut = textFollowsZero(m_memoBytes);
    }
    if (out.text.empty())
        out.setNull();
    // a memo near the limit leaves its buffers that large: give them back
    constexpr std::size_t kKeptCapacity = 1 << 20;
    if (m_memoBytes.capacity() > kKeptCapacity)
        std::string().swap(m_memoBytes);
}

void DbfTableReader::value(std::size_t column, Value& out) {
    if (column >= m_columns.size())
        throw std::out_of_range("DbfTableReader::value: no such column");
    m_valueDamaged = false;
    m_valueCut = false;
    if (!m_record) {
        out.setNull();
        return;
    }
    const DbfField& f = m_header.fields[m_columns[column]];
    if (f.nullBit >= 0 && flagSet(f.nullBit)) {
        out.setNull();
        return;
    }
    std::string_view raw(m_record + f.offset, f.width);
    // VFP V and Q: with the length bit set, the last byte holds the length actually used (a
    // forged descriptor of width 0 has no last byte)
    if (f.varLengthBit >= 0 && !raw.empty() && flagSet(f.varLengthBit))
        raw = raw.substr(0,
                         std::min<std::size_t>(byteAt(raw.data(), raw.size() - 1), raw.size() - 1));
    switch (f.decode) {
    case DbfDecode::Nothing:
        out.setNull();
        break;
    case DbfDecode::Text:
        m_valueCut = decodeTextTellingCut(raw, &m_text, out);
        break;
    case DbfDecode::RawText:
        m_valueCut = decodeTextTellingCut(raw, nullptr, out);
        break;
    case DbfDecode::Integer:
        decodeNumber(raw, true, out);
        break;
    case DbfDecode::Number:
        decodeNumber(raw, false, out);
        break;
    case DbfDecode::Date:
        decodeDate(raw, out);
        break;
    case DbfDecode::Logical:
        decodeLogical(raw, out);
        break;
    case DbfDecode::MemoText:
        readMemo(raw, true, column, out);
        break;
    case DbfDecode::MemoBytes:
        readMemo(raw, false, column, out);
        break;
    case DbfDecode::Int32LE:
        decodeInt32LE(raw, out);
        break;
    case DbfDecode::Int32Sortable:
        decodeInt32Sortable(raw, out);
        break;
    case DbfDecode::Currency:
        decodeCurrency(raw, out);
        break;
    case DbfDecode::DoubleLE:
        decodeDoubleLE(raw, out);
        break;
    case DbfDecode::DoubleSortable:
        decodeDoubleSortable(raw, out);
        break;
    case DbfDecode::DateTimeVfp:
        decodeVfpDateTime(raw, out);
        break;
    case DbfDecode::Timestamp7:
        decodeTimestamp7(raw, out);
        break;
    case DbfDecode::VarBytes:
        if (raw.empty())
            out.setNull();
        else
            out.startBytes().append(raw);
        break;
    }
}

} // namespace vorendal::engine::dbf
