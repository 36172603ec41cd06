// What the list-file and picture dialogs make of the names the user picks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vd {

// A list file saved under name: ".vdl" is appended unless the name already
// ends in ".vdl" in any case ("summer.txt" becomes "summer.txt.vdl").
std::string WithListFileExtension(const std::string& name);

// The full paths held in an open dialog's name buffer, in the order given:
// one path, or (several files picked) the folder followed by the file names,
// each ended by a NUL and the whole by a second NUL.
std::vector<std::string> PathsOfDialogSelection(std::string_view buffer);

// The open dialog's filter for pictures: one entry, "All supported Images",
// whose pattern names every extension given ("*.bmp;*.jpeg;..."), each part
// ended by a NUL.
std::string PictureDialogFilter(const std::vector<std::string>& extensions);

// The folder lister's filter for the same extensions: ".bmp|.jpeg|...".
std::string PictureFolderFilter(const std::vector<std::string>& extensions);

}  // namespace vd
