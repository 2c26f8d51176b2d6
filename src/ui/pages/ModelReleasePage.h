#pragma once

#include "ui/pages/Page.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;

namespace orvella {

class ModelReleaseBook;

// The right pane's "Model Release" page: the releases of the catalogue, in
// model-name order, ticked when attached to the focused image (ticking
// attaches, unticking detaches), and a new release's picture and model name.
class ModelReleasePage : public Page {
    Q_OBJECT
public:
    explicit ModelReleasePage(WindowContext& context, QWidget* parent = nullptr);
    ~ModelReleasePage() override;

    // Lists the catalogue's releases again, ticked for the focused image.
    void reload();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void activated() override;

public:
    const char* visibilityOption() const override { return "tabmodel"; }

private:
    void browse();
    void add();
    void showReleasePicture(QListWidgetItem* item);
    void releaseTicked(QListWidgetItem* item);
    void deleteRelease();
    void followFocusedImage();
    std::string focusedKey() const;
    std::string focusedPath() const;
    void clearInputs();

    std::unique_ptr<ModelReleaseBook> book_;
    QListWidget* releases_;
    QLabel* picture_;
    QLineEdit* modelName_;
    QLineEdit* file_;
    bool listing_ = false;
};

} // namespace orvella
