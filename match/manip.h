// Setting up the two tables.
#pragma once

#include "tables.h"

// Clears `first` and `mate` in every slot, 0 included, and sets nU to 0;
// `current` and nE are left alone.
void Init_U(UTable& U);
// Clears every `mate` entry and sets nV to 0.
void Init_V(VTable& V);
// Puts a new edge (u, v) at the head of u's list; u must lie inside the
// table. V is not used.
void AddEdge(int u, int v, UTable& U, VTable& V);
