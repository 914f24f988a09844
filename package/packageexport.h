#pragma once
// Marks the symbols the label module library exports to the client that loads it.

#define PKG_EXPORT __attribute__((visibility("default")))
