#include <cstddef>

#include "animation/images/pictures.h"

extern const unsigned char morvelux_img1[];
extern const std::size_t morvelux_img1_size;
extern const unsigned char morvelux_img2[];
extern const std::size_t morvelux_img2_size;
extern const unsigned char morvelux_title[];
extern const std::size_t morvelux_title_size;
extern const unsigned char morvelux_sample[];
extern const std::size_t morvelux_sample_size;

namespace morvelux {

std::span<const std::uint8_t> pictureBytes(PictureId id) {
    switch (id) {
        case PictureId::Img1: return {morvelux_img1, morvelux_img1_size};
        case PictureId::Img2: return {morvelux_img2, morvelux_img2_size};
        case PictureId::Title: return {morvelux_title, morvelux_title_size};
        case PictureId::Sample: return {morvelux_sample, morvelux_sample_size};
    }
    return {};
}

}  // namespace morvelux
