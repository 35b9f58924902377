#pragma once
// Resource numbers and names of setup; shared by the code and setup.rc.
#define kSetupIcon 1
#define kSetupLedsBitmap 201
#define kBannerResource "BANNER"
