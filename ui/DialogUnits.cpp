#include "DialogUnits.h"

namespace {

// MapDialogRect converts a whole rectangle; one unit stands in for zero.
RECT Converted(HWND dialog, int units)
{
    RECT rect = {0, 0, units ? units : 1, units ? units : 1};
    MapDialogRect(dialog, &rect);
    return rect;
}

} // namespace

int DialogUnitsToPixelsX(HWND dialog, int units)
{
    return units ? Converted(dialog, units).right : 0;
}

int DialogUnitsToPixelsY(HWND dialog, int units)
{
    return units ? Converted(dialog, units).bottom : 0;
}

POINT MinimumTrackingSize(HWND dialog, int widthUnits, int heightUnits)
{
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    return {DialogUnitsToPixelsX(dialog, widthUnits) + 2 * metrics.iBorderWidth + 6,
            DialogUnitsToPixelsY(dialog, heightUnits) + metrics.iCaptionHeight + 2 * metrics.iBorderWidth + 7};
}
