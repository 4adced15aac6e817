// The program's three tables and what a new installation can start with:
//   Blog_Ideas.d  one record per blog idea
//   group.d       the group names offered for an idea's Group
//   User.d        the captions of the idea table's two user fields
// Field order, kinds and sizes are the ones the program's table components
// expect; every field gets the qualifier "XXX".
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "tableengine/record_store.h"

namespace notarra {

inline constexpr const char* kIdeaTableName = "Blog_Ideas.d";
inline constexpr const char* kGroupTableName = "group.d";
inline constexpr const char* kUserTableName = "User.d";

// Add the fields to an empty store.
void AddIdeaFields(TVelaCursor& cursor);
void AddGroupFields(TVelaCursor& cursor);
void AddUserFields(TVelaCursor& cursor);

// Sample content: a few dozen ideas, the groups they use, and the user-field
// captions. Each expects a store with the matching fields and no records.
void AddSampleIdeas(TVelaCursor& cursor);
void AddSampleGroups(TVelaCursor& cursor);
void AddSampleUser(TVelaCursor& cursor);

// Makes a data folder: dir (with any folders missing above it) and the three
// tables in it, empty or with the sample content. All or nothing: when one
// cannot be made, nothing made is left behind. Refuses (TToolError) a dir
// that is not a folder and any table file that exists already; nothing is
// ever overwritten. Returns how many records each table got.
struct TDataFolderCounts {
  int64_t Ideas = 0, Groups = 0, Users = 0;
};
TDataFolderCounts CreateDataFolder(const std::filesystem::path& dir, bool sample);
// TToolError when anything is at the path (a link to nothing too).
void RefuseExistingTable(const std::string& path);

}  // namespace notarra
