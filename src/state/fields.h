// fields.h -- the game state's fields in their order, with their names: the one list that the
// state digest and the replay runner's trace are both made from
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "state/game_state.h"

// A field of a record: one 32-bit integer, a record of fields, or a table of either. The
// fields of a record are listed in the order they lie in memory, so walking them visits
// every integer of the state once, in order.
struct StateField {
    const char* name;               // the trace's key (the state's own fields); null in a row
    size_t offset;                  // bytes from the start of the record it is a field of
    int rows;                       // 0: a single value or record; else a table of this many
    size_t stride;                  // bytes from a table's row to the next
    const StateField* fields;       // a record's fields; null for an integer
    int fieldCount;
};

// The fields of GameState, in order.
extern const StateField gameStateFields[];
extern const int gameStateFieldCount;

// Calls visit(value) for every integer of the state in order: the digest's order.
template <typename Visit>
void visitStateIntegers(const StateField* fields, int count, const unsigned char* record,
                        Visit& visit) {
    for (int f = 0; f < count; ++f) {
        const StateField& field = fields[f];
        for (int row = 0; row < (field.rows ? field.rows : 1); ++row) {
            const unsigned char* at = record + field.offset + row * field.stride;
            if (field.fields) {
                visitStateIntegers(field.fields, field.fieldCount, at, visit);
            } else {
                int32_t value;
                std::memcpy(&value, at, sizeof value);
                visit(value);
            }
        }
    }
}
