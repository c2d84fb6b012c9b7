#pragma once
// The viewer's part number and version, shown in the About box and written
// into every calibration backup file so a file can be traced to the program
// that made it. Change it with each release.

inline constexpr char QvPartNumber[] = "QV7400-VW 1.00";
