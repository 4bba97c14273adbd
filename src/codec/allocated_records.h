// The records that the initialisers allocated, listed by address. A record is freed only when
// its very address is listed: a copy of an allocated record carries its fields along but is
// the caller's own, and a listed record initialised again stays the library's to free.
#pragma once

#include "g722kit/g722.h"

namespace g722kit {

// Lists a record just allocated; false, listing nothing, when the list cannot grow.
bool ListAllocated(const G722State* state) noexcept;

// Whether the record at this address is listed.
bool IsAllocated(const G722State* state) noexcept;

// Takes the record off the list; false when it was not listed.
bool UnlistAllocated(const G722State* state) noexcept;

}  // namespace g722kit
