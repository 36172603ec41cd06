// The list file: one full path per line, each followed by CR LF, UTF-8
// without a byte-order mark. The default list file and "*.vdl" files share it.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/paths.h"
#include "engine/ports.h"
#include "engine/wallpaper_list.h"

namespace vd {

// Well-formed UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF).
bool IsValidUtf8(std::string_view text);

// The non-empty lines of a list file. Lines may end in CR LF, CR or LF. A
// line that is not valid UTF-8 was written by an older version in the legacy
// code page and goes through decodeLegacy.
std::vector<std::string> SplitListLines(std::string_view bytes,
                                        const std::function<std::string(std::string_view)>& decodeLegacy);

std::string SerializeList(const std::vector<ListEntry>& entries);

// Whether an entry's file is there, spelled as the list keeps paths
// (ListPathSpeller); away while its folder or drive is missing (a renamed
// folder, an unplugged drive, a share offline), kept as written; or gone for
// good: its folder is there and the file is not (or it became a folder, a
// hidden or a system file). Only a gone entry leaves the list.
enum class EntryPresence { There, Away, Gone };
struct EntryCheck {
  EntryPresence presence = EntryPresence::Gone;
  std::string path;  // as spelled when there; as given, with backslashes, when away
};
EntryCheck CheckEntry(ListPathSpeller& speller, FileSystemPort& fs, const std::string& path);
inline bool EntryGone(FileSystemPort& fs, const std::string& path) {
  ListPathSpeller speller(fs);
  return CheckEntry(speller, fs, path).presence == EntryPresence::Gone;
}

// Appends, in order, every line that names a picture kind (KindOfEntry; one
// without a decoder too) that CheckEntry keeps, spelled as the list keeps
// paths: a file held open by another program or written in another case,
// with "/" or with "." and ".." parts is kept, and so is one whose folder is
// away. Lines naming gone files, folders, hidden or system files or what is
// no picture are dropped silently. yield runs every few hundred lines so the
// window keeps painting during a long load.
void FilterListLines(const std::vector<std::string>& lines, FileSystemPort& fs,
                     const std::function<void(ListEntry)>& append, const std::function<void()>& yield);

}  // namespace vd
