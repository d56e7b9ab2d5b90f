#include "source/ttable.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

#include "base/ansi.h"
#include "base/exceptions.h"

namespace vorendal {
namespace {

// Days from 0001-01-01 (day 1) to 1899-12-30, the zero of the date-time number.
constexpr std::int32_t kDateTimeZeroDay = 693594;
constexpr double kMillisPerDay = 86400000.0;

} // namespace

// ---- TIndexDefs ----------------------------------------------------------------------------

void TIndexDefs::Update() {
    m_owner.updateIndexDefs();
}

// ---- TField --------------------------------------------------------------------------------

void TField::loadValue() const {
    m_table.readValue(m_column, m_value);
    m_loadedRecord = m_table.recordSerial();
}

bool TField::IsNull() const {
    return value().isNull();
}

engine::TextDelivery TField::textDelivery() const {
    return m_table.textDelivery();
}

std::string TField::AsString() const {
    const engine::Value& v = value();
    using K = engine::Value::Kind;
    switch (v.kind) {
    case K::Null:
        return {};
    case K::Text: {
        const auto zero = v.text.find('\0');
        return zero == std::string::npos ? v.text : v.text.substr(0, zero);
    }
    case K::Bytes:
        return v.text;
    case K::Integer:
        return std::to_string(v.integer);
    case K::Float:
        return engine::shortestDoubleText(v.number);
    case K::Boolean:
        return v.boolean ? "True" : "False";
    case K::Date:
        return engine::isoDateText(v.days);
    case K::Time:
        return engine::isoTimeText(v.millis, false);
    case K::DateTime:
        return engine::isoDateText(v.days) + " " + engine::isoTimeText(v.millis, false);
    }
    return {};
}

std::int64_t TField::AsInteger() const {
    const engine::Value& v = value();
    using K = engine::Value::Kind;
    switch (v.kind) {
    case K::Integer:
        return v.integer;
    case K::Float:
        return std::isfinite(v.number) ? std::llround(v.number) : 0;
    case K::Boolean:
        return v.boolean ? 1 : 0;
    case K::Text: {
        std::int64_t result = 0;
        const char* first = v.text.data();
        const char* last = first + v.text.size();
        const auto res = std::from_chars(first, last, result);
        if (res.ec != std::errc() || res.ptr != last)
            throw EDatabaseError("'" + v.text + "' is not a valid integer value");
        return result;
    }
    default:
        return 0;
    }
}

bool TField::AsBoolean() const {
    const engine::Value& v = value();
    using K = engine::Value::Kind;
    switch (v.kind) {
    case K::Boolean:
        return v.boolean;
    case K::Integer:
        return v.integer != 0;
    case K::Float:
        return v.number != 0.0;
    case K::Text: {
        const std::string t = ansiUpperCase(v.text);
        return t == "TRUE" || t == "T" || t == "Y" || t == "S" || t == "1";
    }
    default:
        return false;
    }
}

double TField::AsFloat() const {
    const engine::Value& v = value();
    using K = engine::Value::Kind;
    switch (v.kind) {
    case K::Float:
        return v.number;
    case K::Integer:
        return static_cast<double>(v.integer);
    case K::Boolean:
        return v.boolean ? 1.0 : 0.0;
    case K::Date:
    case K::Time:
    case K::DateTime:
        return AsDateTime();
    case K::Text: {
        double result = 0.0;
        const char* first = v.text.data();
        const char* last = first + v.text.size();
        const auto res = std::from_chars(first, last, result);
        if (res.ec != std::errc() || res.ptr != last)
            throw EDatabaseError("'" + v.text + "' is not a valid floating point value");
        return result;
    }
    default:
        return 0.0;
    }
}

std::int64_t TField::AsCurrency() const {
    const double scaled = AsFloat() * 10000.0;
    if (!std::isfinite(scaled) || std::fabs(scaled) > 9.2e18)
        throw EDatabaseError("'" + AsString() + "' is not a valid currency value");
    return static_cast<std::int64_t>(std::nearbyint(scaled));
}

double TField::AsDateTime() const {
    const engine::Value& v = value();
    using K = engine::Value::Kind;
    switch (v.kind) {
    case K::Date:
        return static_cast<double>(v.days - kDateTimeZeroDay);
    case K::Time:
        return v.millis / kMillisPerDay;
    case K::DateTime: {
        // The fraction counts forward from midnight also before 1899-12-30 (negative days).
        const double day = static_cast<double>(v.days - kDateTimeZeroDay);
        const double fraction = v.millis / kMillisPerDay;
        return day < 0 ? day - fraction : day + fraction;
    }
    case K::Float:
        return v.number;
    case K::Integer:
        return static_cast<double>(v.integer);
    default:
        return 0.0;
    }
}

// ---- TTable --------------------------------------------------------------------------------

TTable::TTable(std::string name, ReaderFactory readers)
    : m_name(std::move(name)), m_readers(std::move(readers)), m_custom(m_readers != nullptr),
      m_indexDefs(*this) {
    if (!m_readers) {
        // The path's bytes go to the file system unchanged.
        m_readers = [this](const std::string& path) {
            return engine::openTableReader(
                std::make_unique<engine::DiskTableFiles>(std::filesystem::path(path)),
                engine::ReadOptions{m_codePage, m_delivery});
        };
    }
}

TTable::~TTable() = default;

void TTable::fail(const std::string& message) const {
    throw EDatabaseError(m_name.empty() ? message : m_name + ": " + message);
}

void TTable::setTableName(const std::string& path) {
    if (path == m_tableName)
        return;
    if (Active())
        fail("Cannot perform this operation on an open dataset");
    m_tableName = path;
    m_damage.clear(); // the report belongs to the table at the old path
    m_madeUpNames.clear();
    m_rules = {};
    m_replaced = {};
    m_fieldDefsStale = true;
    m_indexDefsStale = true;
}

void TTable::setActive(bool active) {
    if (active)
        Open();
    else
        Close();
}

void TTable::checkTableName() const {
    if (m_tableName.empty())
        fail("Missing TableName property");
}

std::unique_ptr<engine::TableReader> TTable::openReader() const {
    checkTableName();
    return m_readers(m_tableName);
}

namespace {

bool hasNoName(std::string_view name) {
    return name.find_first_not_of(' ') == std::string_view::npos;
}

} // namespace

void TTable::takeFieldDefs(const engine::TableReader& reader) {
    std::vector<TFieldDef> defs;
    defs.reserve(reader.fields().size());
    m_madeUpNames.clear();
    std::unordered_set<std::string> taken; // upper-cased names already in use
    taken.reserve(reader.fields().size() * 2);
    // Per upper-cased name: the number its next "%s_%d" candidate starts from. Names are only
    // ever added, so the first free number never goes down and each name is tried once.
    std::unordered_map<std::string, int> nextNumber;
    for (const auto& f : reader.fields()) {
        std::string name = f.name;
        if (m_nameUnnamed && hasNoName(name)) {
            name = "FIELD_" + std::to_string(defs.size() + 1);
            m_madeUpNames.push_back({static_cast<int>(defs.size() + 1), name});
        }
        std::string key = ansiUpperCase(name);
        if (taken.count(key) != 0) {
            int& n = nextNumber.try_emplace(key, 1).first->second;
            std::string candidate;
            for (;; ++n) {
                candidate = key + "_" + std::to_string(n);
                if (taken.count(candidate) == 0)
                    break;
            }
            name += "_" + std::to_string(n);
            key = std::move(candidate);
        }
        if (!m_madeUpNames.empty() &&
            m_madeUpNames.back().fieldNo == static_cast<int>(defs.size() + 1))
            m_madeUpNames.back().name = name;
        taken.insert(std::move(key));
        defs.push_back({name, f.type, f.size, f.type == ftAutoInc ? false : f.required});
    }
    m_fieldDefs.m_items = std::move(defs);
    m_fieldDefsStale = false;
}

void TTable::takeIndexDefs(const engine::TableReader& reader) {
    m_indexDefs.m_items.clear();
    for (const auto& ix : reader.indexes())
        m_indexDefs.m_items.push_back({keyWithMadeUpNames(reader, ix), ix.options});
    m_indexDefsStale = false;
}

// The key's names, a name without text replaced by the made-up name of the first field so
// named (an index key names the first of duplicate fields the same way). An empty key is one
// such name unless the index is on an expression.
std::string TTable::keyWithMadeUpNames(const engine::TableReader& reader,
                                       const engine::IndexDescription& index) const {
    const std::string& fields = index.fields;
    if (m_madeUpNames.empty() || (fields.empty() && index.options.contains(ixExpression)))
        return fields;
    std::string key;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = std::min(fields.find(';', start), fields.size());
        const std::string_view name(fields.data() + start, end - start);
        if (start > 0)
            key += ';';
        const auto same =
            std::find_if(m_madeUpNames.begin(), m_madeUpNames.end(), [&](const MadeUpName& made) {
                return reader.fields()[static_cast<std::size_t>(made.fieldNo - 1)].name == name;
            });
        key += same != m_madeUpNames.end() ? std::string_view(same->name) : name;
        if (end == fields.size())
            return key;
        start = end + 1;
    }
}

void TTable::updateIndexDefs() {
    if (!m_indexDefsStale)
        return;
    if (Active()) {
        takeIndexDefs(*m_reader);
        return;
    }
    const auto reader = openReader();
    if (m_fieldDefsStale)
        takeFieldDefs(*reader);
    takeIndexDefs(*reader);
}

TFieldDefs& TTable::FieldDefs() {
    return m_fieldDefs;
}

void TTable::Open() {
    if (Active())
        return;
    m_damage.clear();
    m_replaced = {};
    m_copiesReplaced = 0;
    auto reader = openReader();
    takeFieldDefs(*reader);
    std::vector<std::unique_ptr<TField>> fields;
    for (std::size_t i = 0; i < m_fieldDefs.m_items.size(); ++i) {
        const TFieldDef& def = m_fieldDefs.m_items[i];
        if (fieldTypeHasNoField(def.DataType))
            continue;
        fields.push_back(std::unique_ptr<TField>(new TField(*this, i, def.Name, def.DataType)));
    }
    m_fields = std::move(fields);
    // what the reader replaced so far lies in the names it read on opening
    m_replaced = {reader->replacedCharacters(), 0};
    m_reader = std::move(reader);
    m_codePageUsed = m_reader->codePage();
    m_passwordProtected = m_reader->passwordProtected();
    m_rules = m_reader->rules();
    m_indexDefsStale = true;
    ++m_recordSerial;
    m_stretch = {};
    m_eof = !m_reader->first();
}

std::unique_ptr<TTable> TTable::openCopy() const {
    checkActive();
    auto copy = std::make_unique<TTable>(m_name, m_custom ? m_readers : ReaderFactory{});
    copy->m_codePage = m_codePage;
    copy->m_delivery = m_delivery;
    copy->m_nameUnnamed = m_nameUnnamed;
    copy->setTableName(m_tableName);
    copy->Open();
    return copy;
}

void TTable::takeReadsOf(const TTable& copy) {
    m_damage.merge(copy.damage());
    const std::uint64_t values = copy.replacedCharacters().values;
    if (Active())
        m_copiesReplaced += values;
    else
        m_replaced.values += values;
}

void TTable::Close() {
    m_replaced = replacedCharacters();
    m_copiesReplaced = 0;
    m_fields.clear();
    m_reader.reset();
    m_stretch = {};
    m_eof = true;
}

ReplacedCharacters TTable::replacedCharacters() const {
    if (!Active())
        return m_replaced;
    return {m_replaced.names, m_reader->replacedCharacters() - m_replaced.names + m_copiesReplaced};
}

void TTable::checkActive() const {
    if (!Active())
        fail("Cannot perform this operation on a closed dataset");
}

void TTable::First() {
    checkActive();
    ++m_recordSerial;
    m_stretch = {};
    m_eof = !m_reader->first();
}

void TTable::Next() {
    checkActive();
    if (m_eof)
        return;
    ++m_recordSerial;
    if (m_stretch.counted) {
        if (m_stretch.current + 1 >= m_stretch.end) {
            m_eof = true; // the stretch's last record: the next one is another copy's
            return;
        }
        ++m_stretch.current;
        m_stretch.endsTable = !m_reader->next();
        m_eof = m_stretch.endsTable;
        return;
    }
    m_eof = !m_reader->next();
}

void TTable::enterStretch(std::uint64_t n, std::uint64_t size) {
    checkActive();
    ++m_recordSerial;
    const std::uint64_t begin = n * size;
    const std::uint64_t end = begin + size;
    if (const std::uint64_t stored = m_reader->storedRecords(); stored != 0) {
        m_stretch = {end, 0, end >= stored, false};
        m_eof = !m_reader->seekStored(begin, end);
        return;
    }
    // Read on in table order, counting the live records from the first.
    if (!m_stretch.counted || m_stretch.current > begin) {
        m_stretch = {end, 0, !m_reader->first(), true};
    }
    m_stretch.end = end;
    while (!m_stretch.endsTable && m_stretch.current < begin) {
        m_stretch.endsTable = !m_reader->next();
        ++m_stretch.current;
    }
    m_eof = m_stretch.endsTable;
}

void TTable::readValue(std::size_t column, engine::Value& out) {
    checkActive();
    if (m_eof) {
        out.setNull();
        return;
    }
    m_reader->value(column, out);
    if (m_reader->valueDamaged())
        m_damage.add(m_fieldDefs.m_items.at(column).Name, m_reader->recordNumber());
    else if (m_reader->valueCut())
        m_damage.add(m_fieldDefs.m_items.at(column).Name, m_reader->recordNumber(),
                     DamageKind::CutAtZero);
}

} // namespace vorendal
