// The splash window's decisions, apart from the window: which logo it shows
// and how its progress counter advances.
#pragma once

#include <functional>

namespace tarvel {

constexpr int SplashProgressMax = 8;
constexpr int SplashTimerMs = 200;
constexpr const char* SplashLogoFile = "ReportImage/logo.jpg";

enum class SplashLogo { BuiltIn, Picture };

// Modes 1 and 2 ask for the picture logo. When the picture cannot be loaded the
// built-in logo is shown and the failure traced; the remembered mode is not
// touched, so one unreadable file at start-up does not switch the reports to the
// built-in logo for good (the mode is saved back to LastConfig.xml at exit).
SplashLogo ChooseSplashLogo(int reportLogoMode, const std::function<bool()>& loadPicture);

// One splash timer tick on the global counter. Returns the progress position
// (never above SplashProgressMax) and sets `stop` once the bar is full.
int SplashTimerTick(bool& stop);

} // namespace tarvel
