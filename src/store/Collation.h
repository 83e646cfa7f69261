#pragma once

struct sqlite3;

namespace store {

// Registers the collation PINYIN on a connection: Chinese text in pinyin
// order as locale 2052 sorts it, ties broken by the bytes, so that two texts
// are equal under it only when they are identical.
void registerPinyinCollation(sqlite3 *handle);

} // namespace store
