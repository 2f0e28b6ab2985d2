#pragma once
// The GIF files of the shared test corpus.

#include <string>
#include <vector>

// Every .gif below the corpus's gif folder, sorted (absolute paths); none
// when the folder is missing.
std::vector<std::string> CorpusFiles();
// The path relative to the corpus's gif folder ("giflib/pic/fire.gif").
std::string CorpusName(const std::string& path);
// A test-name-safe version of that, without the extension ("giflib_pic_fire").
std::string CorpusTestName(const std::string& path);
