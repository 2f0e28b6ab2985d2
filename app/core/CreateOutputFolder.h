#pragma once
// The output folder a run writes into, made before its first file.

#include <string>

// Creates the folder of an output directory text (OutputFolderOf: the text up
// to its last "/"), with every missing parent; an existing folder, or a link
// to one, is used as it is. Throws std::runtime_error naming the folder and
// the system's reason when it cannot be made or is not a folder.
void CreateOutputFolder(const std::string& outputDirText);
