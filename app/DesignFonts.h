#pragma once
// The window is laid out for Tahoma. Where the desktop lacks it but a metric
// clone is installed (Debian's fonts-wine), the clone is loaded for this run.

void LoadDesignFonts();
