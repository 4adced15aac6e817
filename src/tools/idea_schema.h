// The program's three tables and what a new installation can start with:
//   Blog_Ideas.d  one record per blog idea
//   group.d       the group names offered for an idea's Group
//   User.d        the captions of the idea table's two user fields
// Field order, kinds and sizes are the ones the program's table components
// expect; every field gets the qualifier "XXX".
#pragma once

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

}  // namespace notarra
