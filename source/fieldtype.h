#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

namespace vorendal {

// The engine-neutral field types, in their traditional order.
enum TFieldType : std::uint8_t {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBytes,
    ftVarBytes,
    ftAutoInc,
    ftBlob,
    ftMemo,
    ftGraphic,
    ftFmtMemo,
    ftParadoxOle,
    ftDBaseOle,
    ftTypedBinary,
    ftCursor,
    ftFixedChar,
    ftWideString,
    ftLargeint,
    ftADT,
    ftArray,
    ftReference,
    ftDataSet,
    ftOraBlob,
    ftOraClob,
    ftVariant,
    ftInterface,
    ftIDispatch,
    ftGuid,
    ftTimeStamp,
    ftFMTBcd
};

// "ftString" for ftString, and so on; "ftUnknown" for a value outside the enumeration.
std::string fieldTypeName(TFieldType type);

// True for the types that get no field (only a field definition): ftUnknown and the object types.
bool fieldTypeHasNoField(TFieldType type);

// Index options, bit 0 to bit 5 of one byte in this order.
enum TIndexOption : std::uint8_t {
    ixPrimary,
    ixUnique,
    ixDescending,
    ixCaseInsensitive,
    ixExpression,
    ixNonMaintained
};

class TIndexOptions {
public:
    constexpr TIndexOptions() = default;
    constexpr TIndexOptions(std::initializer_list<TIndexOption> options) {
        for (auto o : options)
            m_bits = static_cast<std::uint8_t>(m_bits | (1u << o));
    }
    constexpr bool contains(TIndexOption o) const { return (m_bits >> o) & 1u; }
    constexpr void include(TIndexOption o) {
        m_bits = static_cast<std::uint8_t>(m_bits | (1u << o));
    }
    constexpr void exclude(TIndexOption o) {
        m_bits = static_cast<std::uint8_t>(m_bits & ~(1u << o));
    }
    constexpr std::uint8_t bits() const { return m_bits; }
    constexpr bool empty() const { return m_bits == 0; }
    friend constexpr bool operator==(TIndexOptions a, TIndexOptions b) = default;

private:
    std::uint8_t m_bits = 0;
};

// "ixPrimary,ixUnique" style list in bit order; "" for the empty set.
std::string indexOptionsText(TIndexOptions options);

} // namespace vorendal
