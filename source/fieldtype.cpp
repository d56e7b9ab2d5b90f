#include "fieldtype.h"

#include <array>

namespace vorendal {

std::string fieldTypeName(TFieldType type) {
    static constexpr std::array<const char*, 38> kNames = {
        "ftUnknown",    "ftString",     "ftSmallint", "ftInteger",     "ftWord",      "ftBoolean",
        "ftFloat",      "ftCurrency",   "ftBCD",      "ftDate",        "ftTime",      "ftDateTime",
        "ftBytes",      "ftVarBytes",   "ftAutoInc",  "ftBlob",        "ftMemo",      "ftGraphic",
        "ftFmtMemo",    "ftParadoxOle", "ftDBaseOle", "ftTypedBinary", "ftCursor",    "ftFixedChar",
        "ftWideString", "ftLargeint",   "ftADT",      "ftArray",       "ftReference", "ftDataSet",
        "ftOraBlob",    "ftOraClob",    "ftVariant",  "ftInterface",   "ftIDispatch", "ftGuid",
        "ftTimeStamp",  "ftFMTBcd"};
    const auto i = static_cast<std::size_t>(type);
    return i < kNames.size() ? kNames[i] : "ftUnknown";
}

bool fieldTypeHasNoField(TFieldType type) {
    return type == ftUnknown || type == ftADT || type == ftArray || type == ftReference ||
           type == ftDataSet;
}

std::string indexOptionsText(TIndexOptions options) {
    static constexpr std::array<const char*, 6> kNames = {"ixPrimary",    "ixUnique",
                                                          "ixDescending", "ixCaseInsensitive",
                                                          "ixExpression", "ixNonMaintained"};
    std::string text;
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        if (options.contains(static_cast<TIndexOption>(i))) {
            if (!text.empty())
                text += ',';
            text += kNames[i];
        }
    }
    return text;
}

} // namespace vorendal
