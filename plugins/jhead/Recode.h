#pragma once
// The image's coefficients as libjpeg reads them, written again with Huffman
// tables made for them: the decoded pixels stay exactly the same.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plugins/jhead/Layout.h"

namespace jhead {

class Recoder {
public:
    // Reads every coefficient of `source` (which must outlive the recoder);
    // throws Failure with libjpeg's reason when libjpeg refuses the file.
    explicit Recoder(std::string_view source);
    ~Recoder();
    Recoder(const Recoder&) = delete;
    Recoder& operator=(const Recoder&) = delete;

    // The colour space libjpeg decodes the source in (J_COLOR_SPACE).
    int ColourSpace() const;

    // The image under the APPn and COM sections of `sections`, in their
    // order; progressive when the source is. None when libjpeg found the
    // source's data damaged (it would have made up what is missing) or could
    // not write.
    std::optional<std::string> Write(const std::vector<Segment>& sections);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The colour space libjpeg would decode `bytes` in; -1 when it cannot read
// their header.
int ColourSpaceOf(std::string_view bytes);

}  // namespace jhead
