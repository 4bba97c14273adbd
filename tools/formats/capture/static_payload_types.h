// Payload types with a fixed meaning in the RTP audio/video profile (RFC 3551), by number.
#pragma once

#include <cstdint>

namespace g722kit::tool {

struct StaticPayloadType {
  uint8_t number;
  const char* name;
};

// The static audio payload types of RFC 3551, with the encoding names SDP gives them.
inline constexpr StaticPayloadType kStaticPayloadTypes[] = {
    {0, "PCMU"}, {3, "GSM"},   {4, "G723"},  {5, "DVI4"},  {6, "DVI4"},   {7, "LPC"},
    {8, "PCMA"}, {9, "G722"},  {10, "L16"},  {11, "L16"},  {12, "QCELP"}, {13, "CN"},
    {14, "MPA"}, {15, "G728"}, {16, "DVI4"}, {17, "DVI4"}, {18, "G729"}};

}  // namespace g722kit::tool
