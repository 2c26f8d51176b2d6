#pragma once

#include <QPixmap>
#include <QString>
#include <vector>

namespace orvella {

// The seven 18 x 18 state icons of the state grid and the filter grid
// (the grid image list), in the order Ready to upload, Pending, Upload
// failed, Rejected, Accepted, Resubmit, Donated: icon n belongs to state code
// n + 1; "Not ready" has none.
class StateIcons {
public:
    static constexpr int kSize = 18;
    static constexpr int kCount = 7;

    // The icons, loaded from the program's resources once.
    static const std::vector<QPixmap>& all();
    // The icon of a state name as the grid shows it; a null pixmap for "Not
    // ready" and any other text.
    static QPixmap forStateName(const QString& name);
};

} // namespace orvella
