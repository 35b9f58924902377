#pragma once
// Resource numbers and names of quennex; shared by the code and quennex.rc.
#define kIconResource 1
#define kFolderBitmap 101
#define kArrowBitmap 102
#define kGoBitmap 103
#define kStopBitmap 104
#define kLedsBitmap 105
#define kKindsBitmap 106
#define kPagesBitmap 107
#define kViewsBitmap 108
#define kDesktopBitmap 109
#define kLogoResource "LOGO"
