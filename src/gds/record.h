// Record types, data types and a bounds-checked view of one record of a stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "gds/bytes.h"
#include "gds/real8.h"

namespace korvex::gds {

// Record type byte (header byte 2).
enum RecordType : std::uint8_t {
  kHeader = 0x00, kBgnLib = 0x01, kLibName = 0x02, kUnits = 0x03, kEndLib = 0x04,
  kBgnStr = 0x05, kStrName = 0x06, kEndStr = 0x07, kBoundary = 0x08, kPath = 0x09,
  kSRef = 0x0A, kARef = 0x0B, kText = 0x0C, kLayer = 0x0D, kDatatype = 0x0E,
  kWidth = 0x0F, kXY = 0x10, kEndEl = 0x11, kSName = 0x12, kColRow = 0x13,
  kTextNode = 0x14, kNode = 0x15, kTextType = 0x16, kPresentation = 0x17, kSpacing = 0x18,
  kString = 0x19, kSTrans = 0x1A, kMag = 0x1B, kAngle = 0x1C, kUInteger = 0x1D,
  kUString = 0x1E, kRefLibs = 0x1F, kFonts = 0x20, kPathType = 0x21, kGenerations = 0x22,
  kAttrTable = 0x23, kStypTable = 0x24, kStrType = 0x25, kElFlags = 0x26, kElKey = 0x27,
  kLinkType = 0x28, kLinkKeys = 0x29, kNodeType = 0x2A, kPropAttr = 0x2B, kPropValue = 0x2C,
  kBox = 0x2D, kBoxType = 0x2E, kPlex = 0x2F, kBgnExtn = 0x30, kEndExtn = 0x31,
  kTapeNum = 0x32, kTapeCode = 0x33, kStrClass = 0x34, kReserved = 0x35, kFormat = 0x36,
  kMask = 0x37, kEndMasks = 0x38, kLibDirSize = 0x39, kSrfName = 0x3A, kLibSecur = 0x3B,
};

// Data type byte (header byte 3).
enum DataType : std::uint8_t {
  kNoData = 0, kBitArray = 1, kInt16 = 2, kInt32 = 3, kReal4 = 4, kReal8 = 5, kAscii = 6,
};

// "XY", "BOUNDARY", ...; "RECORD 0x5A" for types the format does not name.
std::string RecordName(std::uint8_t type);

// The data type the format defines for a record type, or -1 when it defines none.
int ExpectedDataType(std::uint8_t type);

// One record inside a byte buffer that outlives the view. `data` points at the payload.
struct Record {
  std::uint64_t offset = 0;  // of the record header in the stream
  std::uint8_t type = 0;
  std::uint8_t data_type = 0;
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;  // payload bytes (length - 4)

  std::size_t Count16() const { return size / 2; }
  std::size_t Count32() const { return size / 4; }
  std::size_t Count64() const { return size / 8; }

  // Items out of range read as 0: the caller checks the count where it matters.
  std::int16_t Int16(std::size_t i) const { return i < Count16() ? LoadI16(data + 2 * i) : 0; }
  std::uint16_t UInt16(std::size_t i) const { return i < Count16() ? LoadU16(data + 2 * i) : 0; }
  std::int32_t Int32(std::size_t i) const { return i < Count32() ? LoadI32(data + 4 * i) : 0; }
  Real8 Real(std::size_t i) const { return Real8{i < Count64() ? LoadU64(data + 8 * i) : 0}; }
  // A layer or type number: 16-bit unsigned, or the low 16 bits of a 4-byte integer.
  std::uint16_t Number() const {
    if (data_type == kInt32 && size >= 4) return static_cast<std::uint16_t>(LoadU32(data));
    return UInt16(0);
  }
  // The text up to the first NUL.
  std::string_view Text() const;
  // The text with trailing NULs removed (inner NULs kept).
  std::string_view TextKeepInnerNul() const;
};

}  // namespace korvex::gds
