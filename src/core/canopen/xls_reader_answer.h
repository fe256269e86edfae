#pragma once

#include <sys/resource.h>

#include <cstdint>

// What kestrova-xls-reader writes to its standard output, read by ReadXlsSheet. Numbers are
// 32-bit little-endian; a text is its length and its bytes (UTF-8, as FreeXL gives them).
//   'F' text 'E'                      the workbook cannot be read: the reason
//   'M' length 0 'E'                  the workbook has no sheet of that name
//   'S' rows columns, then rows x columns cells, row by row, then 'E'
//     a cell: 'N' (empty) | 'I' int32 | 'R' 8 bytes of a double (this machine's order) | 'T' text
//   'D' row 'T' text 'E'              in place of a cell: the row cannot be read, the reason
namespace kestrova::xls_answer {

inline constexpr char kFailure = 'F';
inline constexpr char kNoSheet = 'M';
inline constexpr char kSheet = 'S';
inline constexpr char kNull = 'N';
inline constexpr char kInteger = 'I';
inline constexpr char kNumber = 'R';
inline constexpr char kText = 'T';
inline constexpr char kDamage = 'D';
inline constexpr char kEnd = 'E';

// The reader's own limits: address space and processor time.
inline constexpr rlim_t kMemoryBytes = rlim_t(1) << 30;
inline constexpr rlim_t kCpuSeconds = 10;

}  // namespace kestrova::xls_answer
