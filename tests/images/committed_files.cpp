#include "tests/images/committed_files.h"

#include <cstddef>

extern const unsigned char committed_img1[];
extern const std::size_t committed_img1_size;
extern const unsigned char committed_img2[];
extern const std::size_t committed_img2_size;
extern const unsigned char committed_title[];
extern const std::size_t committed_title_size;
extern const unsigned char committed_sample[];
extern const std::size_t committed_sample_size;

namespace morvelux::testing {

std::span<const std::uint8_t> committedFile(std::string_view name) {
    if (name == "img1") return {committed_img1, committed_img1_size};
    if (name == "img2") return {committed_img2, committed_img2_size};
    if (name == "title") return {committed_title, committed_title_size};
    if (name == "sample") return {committed_sample, committed_sample_size};
    return {};
}

}  // namespace morvelux::testing
