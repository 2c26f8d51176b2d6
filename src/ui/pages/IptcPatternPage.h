#pragma once

#include "ui/pages/Page.h"

namespace orvella {

// The bottom page "IPTC Pattern" of the image list.
class IptcPatternPage : public Page {
    Q_OBJECT
public:
    explicit IptcPatternPage(WindowContext& context, QWidget* parent = nullptr);
};

} // namespace orvella
