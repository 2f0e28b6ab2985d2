#pragma once
// The GIF files of the shared test corpus.

#include <string>
#include <vector>

// Every .gif below the corpus's gif folder, sorted.
std::vector<std::string> CorpusGIFs();
// A test-name-safe version of a path relative to the corpus.
std::string CorpusTestName(const std::string& path);
