#include "source/engine/tablereader.h"

#include <stdexcept>

#include "base/ansi.h"
#include "source/engine/engineerrors.h"

namespace vorendal::engine {

bool TableReader::seekStored(std::uint64_t /*from*/, std::uint64_t /*end*/) {
    throw std::logic_error("this table is read in table order only");
}

const TableRules& TableReader::rules() const {
    static const TableRules kNone;
    return kNone;
}

std::unique_ptr<TableReader> openTableReader(const TableFiles& files, const ReadOptions& options) {
    const std::string extension = ansiUpperCase(files.extension());
    if (extension == "DBF")
        return openDbfTable(files, options);
    if (extension == "TXT")
        engineError(errNotTable, "Text tables (.txt) are not read by this engine.",
                    files.mainName());
    return openParadoxTable(files, options);
}

namespace {

// Keeps a table's files alive beside the reader that reads them.
class OwningReader : public TableReader {
public:
    OwningReader(std::unique_ptr<TableFiles> files, std::unique_ptr<TableReader> reader)
        : m_files(std::move(files)), m_reader(std::move(reader)) {}
    const std::vector<FieldDescription>& fields() const override { return m_reader->fields(); }
    const std::vector<IndexDescription>& indexes() const override { return m_reader->indexes(); }
    bool first() override { return m_reader->first(); }
    bool next() override { return m_reader->next(); }
    void value(std::size_t column, Value& out) override { m_reader->value(column, out); }
    CodePageChoice codePage() const override { return m_reader->codePage(); }
    bool passwordProtected() const override { return m_reader->passwordProtected(); }
    std::uint64_t recordCount() const override { return m_reader->recordCount(); }
    std::uint64_t storedRecords() const override { return m_reader->storedRecords(); }
    bool seekStored(std::uint64_t from, std::uint64_t end) override {
        return m_reader->seekStored(from, end);
    }
    std::uint64_t recordNumber() const override { return m_reader->recordNumber(); }
    bool valueDamaged() const override { return m_reader->valueDamaged(); }
    bool valueCut() const override { return m_reader->valueCut(); }
    const TableRules& rules() const override { return m_reader->rules(); }
    std::uint64_t replacedCharacters() const override { return m_reader->replacedCharacters(); }

private:
    std::unique_ptr<TableFiles> m_files;
    std::unique_ptr<TableReader> m_reader;
};

} // namespace

std::unique_ptr<TableReader> openTableReader(std::unique_ptr<TableFiles> files,
                                             const ReadOptions& options) {
    auto reader = openTableReader(*files, options);
    return std::make_unique<OwningReader>(std::move(files), std::move(reader));
}

} // namespace vorendal::engine
