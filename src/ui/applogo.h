#pragma once

#include <QIcon>

// The application's icon as the header of the Settings tab shows it, loaded once for the process.
const QIcon &appLogo();
