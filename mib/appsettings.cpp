#include "appsettings.h"

#include "i18n.h"

CAppSettings::CAppSettings()
    : strLanguage(Orvelle::languageCode())
{
}

CAppSettings::~CAppSettings() = default;
