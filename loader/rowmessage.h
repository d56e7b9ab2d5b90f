#pragma once

#include <string_view>
#include <vector>

#include <firebird/Interface.h>

#include "source/engine/value.h"

namespace vorendal::loader {

// Where one parameter (or one column of a fetched row) lives in a message, and its type.
struct Slot {
    unsigned type = 0;   // SQL_VARYING, SQL_LONG, ... without the null bit
    unsigned length = 0; // bytes of the value (of text: the most bytes)
    int scale = 0;       // decimals as a negative number, for SQL_INT64 and the like
    unsigned offset = 0;
    unsigned nullOffset = 0;
    unsigned characters = 0; // SQL_VARYING and SQL_TEXT: the most characters
    bool textBlob = false;   // SQL_BLOB of sub-type text
};

// The slots of every parameter of a message, in order.
std::vector<Slot> slotsOf(Firebird::IMessageMetadata* metadata,
                          Firebird::ThrowStatusWrapper& status);

// What became of a value.
enum class Encoded {
    Value,      // written into the message
    Null,       // marked null
    Unholdable, // marked null: the column cannot hold it (the caller reports it)
    Blob        // blob holds the bytes to store; the caller puts the blob's id into the message
};

// Writes value into the slot of message in the column's native form: integers and scaled
// integers of NUMERIC, doubles, dates and times encoded by Firebird's own functions, UTF-8 text
// (up to its first zero byte, as every output writes text). blankIsEmptyText: a blank (null)
// value becomes the empty text (firebird::blankIsEmptyText of the column). Never turns a value
// into SQL.
Encoded encodeValue(const engine::Value& value, const Slot& slot, bool blankIsEmptyText,
                    unsigned char* message, std::string_view& blob, Firebird::IUtil* util);

// Marks the slot null or not null.
void setNull(unsigned char* message, const Slot& slot, bool null);
bool isNull(const unsigned char* message, const Slot& slot);

} // namespace vorendal::loader
