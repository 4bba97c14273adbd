// Constant tables used only by the G.722 decoder.
#pragma once

#include <array>
#include <cstdint>

namespace g722kit {

// 6-bit lower-band inverse quantizer (QQ6), indexed by the 6-bit lower code at 64000 bit/s.
inline constexpr std::array<int32_t, 64> kLowerQuant6 = {
    -136,   -136,   -136,   -136,   -24808, -21904, -19008, -16704,  //
    -14984, -13512, -12280, -11192, -10232, -9360,  -8576,  -7856,   //
    -7192,  -6576,  -6000,  -5456,  -4944,  -4464,  -4008,  -3576,   //
    -3168,  -2776,  -2400,  -2032,  -1688,  -1360,  -1040,  -728,    //
    24808,  21904,  19008,  16704,  14984,  13512,  12280,  11192,   //
    10232,  9360,   8576,   7856,   7192,   6576,   6000,   5456,    //
    4944,   4464,   4008,   3576,   3168,   2776,   2400,   2032,    //
    1688,   1360,   1040,   728,    432,    136,    -432,   -136};

// 5-bit lower-band inverse quantizer (QQ5), indexed by the 5-bit lower code at 56000 bit/s.
inline constexpr std::array<int32_t, 32> kLowerQuant5 = {
    -280,  -280,  -23352, -17560, -14120, -11664, -9752, -8184,  //
    -6864, -5712, -4696,  -3784,  -2960,  -2208,  -1520, -880,   //
    23352, 17560, 14120,  11664,  9752,   8184,   6864,  5712,   //
    4696,  3784,  2960,   2208,   1520,   880,    280,   -280};

}  // namespace g722kit
