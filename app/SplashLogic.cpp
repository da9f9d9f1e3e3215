#include "SplashLogic.h"

#include "ShellGlobals.h"

#include "Log.h"

#include <string>

namespace tarvel {

SplashLogo ChooseSplashLogo(int reportLogoMode, const std::function<bool()>& loadPicture)
{
    if (reportLogoMode != 1 && reportLogoMode != 2)
        return SplashLogo::BuiltIn;
    if (loadPicture && loadPicture())
        return SplashLogo::Picture;
    TraceLog(std::string("Splash logo ") + SplashLogoFile + " could not be loaded; showing the built-in logo\n");
    return SplashLogo::BuiltIn;
}

int SplashTimerTick(bool& stop)
{
    ++SplashTickCount;
    stop = SplashTickCount >= SplashProgressMax;
    return SplashTickCount < SplashProgressMax ? SplashTickCount : SplashProgressMax;
}

} // namespace tarvel
