// Loads a table file and sorts its records by a field list, the way opening
// the idea table does. Used by compare_sqlite.sh to time the whole command.
#include <chrono>
#include <cstdio>
#include <string>

#include "platform/exceptions.h"
#include "platform/file_stream.h"
#include "tableengine/record_store.h"

using namespace notarra;

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: load_sort FILE [FIELDS]\n");
    return 2;
  }
  std::string fields = argc > 2 ? argv[2] : "Group;Subject";
  try {
    auto t0 = std::chrono::steady_clock::now();
    TVelaCursor store;
    {
      TFileStream file(argv[1]);
      std::string error;
      if (!store.LoadFromStream(file, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
      }
    }
    auto t1 = std::chrono::steady_clock::now();
    TVelaRecordList visible(store.Records().begin(), store.Records().end());
    store.SortRecords(visible, store.ResolveFieldList(fields), false, false);
    auto t2 = std::chrono::steady_clock::now();
    auto ms = [](auto d) { return std::chrono::duration<double, std::milli>(d).count(); };
    std::printf("records %zu load_ms %.1f sort_ms %.1f\n", visible.size(), ms(t1 - t0), ms(t2 - t1));
  } catch (const Exception& e) {
    std::fprintf(stderr, "%s\n", e.Message().c_str());
    return 1;
  }
  return 0;
}
