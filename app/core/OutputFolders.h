#pragma once
// The sub-folders a run creates below its output folder.

#include <string>

// Creates each folder of `folders` ("css/img", relative) below `base` (the
// output folder, links allowed there), one level at a time, without following
// a link below `base`: a folder that exists already is used, a link or a
// file in its place is refused. Safe on several threads at once (two calls
// may create the same folder). Throws CannotCreateFile(destination, reason).
void CreateOutputFolders(const std::string& base, const std::string& folders, const std::string& destination);
