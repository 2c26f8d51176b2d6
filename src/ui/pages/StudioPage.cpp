#include "ui/pages/StudioPage.h"

#include "shell/Log.h"
#include "shell/Prompts.h"
#include "ui/CommandTable.h"
#include "ui/ImageListModel.h"
#include "ui/ImageSelection.h"
#include "ui/WidgetHelpers.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollArea>
#include <QStatusBar>
#include <QTabWidget>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>

#include <variant>

namespace orvella {

namespace {

const char* const kOpenFilter =
    "All (*.gif *.jpg *.jpeg *.bmp *.ico *.emf *.wmf);;CompuServe GIF Image (*.gif);;"
    "JPEG Image File (*.jpg);;JPEG Image File (*.jpeg);;Bitmaps (*.bmp);;Icons (*.ico);;"
    "Enhanced Metafiles (*.emf);;Metafiles (*.wmf);;PNG (*.png);;TIFF (*.tif *.tiff)";

// The tool bar's buttons by command, with their control names.
struct ToolButton {
    CommandId command;
    const char* name;
};
const ToolButton kButtons[] = {
    {cmd::OpenImage, "btnOpen"},     {cmd::SaveImage, "btnSaveImage"},
    {cmd::RotateLeft, "btnRotate"},  {cmd::RotateRight, "btnRotate90"},
    {cmd::ZoomIn, "btnPlus"},        {cmd::ZoomOut, "btnMinus"},
    {cmd::LoadPrevious, "btnPrev"},  {cmd::LoadNext, "btnNext"},
    {cmd::FitToWindow, "btnResize"},
};

QTabWidget* enclosingTabs(QWidget* widget) {
    for (QWidget* parent = widget->parentWidget(); parent; parent = parent->parentWidget())
        if (auto* tabs = qobject_cast<QTabWidget*>(parent))
            return tabs;
    return nullptr;
}

// A status panel 200 pixels wide that gives way to a narrow window.
class StatusPanel : public QLabel {
public:
    QSize sizeHint() const override { return {200, QLabel::sizeHint().height()}; }
    QSize minimumSizeHint() const override { return {40, QLabel::minimumSizeHint().height()}; }
};

} // namespace

// The picture control: the document's picture drawn where the document says,
// scaled smoothly once per size rather than at every paint.
class StudioCanvas : public QWidget {
public:
    explicit StudioCanvas(const StudioDocument& document) : document_(document) {
        setObjectName("imgStudio");
    }
    void pictureChanged() {
        cached_ = QPixmap();
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().window());
        QRect target = document_.PictureRect();
        if (target.isEmpty())
            return;
        if (cached_.size() != target.size())
            cached_ = QPixmap::fromImage(document_.Picture().scaled(
                target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        painter.drawPixmap(target.topLeft(), cached_);
    }

private:
    const StudioDocument& document_;
    QPixmap cached_;
};

StudioPage::StudioPage(WindowContext& context, QWidget* parent)
    : Page(context, "StudioPage", parent) {
    auto* page = named<QWidget>("tsStudio");
    auto* toolbar = named<QToolBar>("tbStudio");
    CommandLayout layout;
    for (const ToolButton& button : kButtons)
        layout.push_back(button.command);
    context.commands.fill(toolbar, layout);
    for (const ToolButton& button : kButtons)
        if (QWidget* widget = toolbar->widgetForAction(context.commands.Action(button.command)))
            widget->setObjectName(button.name);
    QAction* fit = context.commands.Action(cmd::FitToWindow);
    fit->setCheckable(true);
    fit->setChecked(true);

    scroll_ = named<QScrollArea>("sbStudio");
    canvas_ = new StudioCanvas(document_);
    scroll_->setWidget(canvas_);
    scroll_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* status = named<QStatusBar>("StudioBar");
    status->setSizeGripEnabled(false);
    panel0_ = named<StatusPanel>("lblStudioPanel0");
    panel1_ = named<StatusPanel>("lblStudioPanel1");
    status->addWidget(panel0_);
    status->addWidget(panel1_, 1);

    auto* box = new QVBoxLayout(page);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(toolbar);
    box->addWidget(scroll_, 1);
    box->addWidget(status);
    setContent(page);
    setFocusPolicy(Qt::StrongFocus);
    scroll_->installEventFilter(this);
    canvas_->installEventFilter(this);
    installEventFilter(this);
    bindCommands();
    showDocument();
}

StudioPage::~StudioPage() {
    if (loader_)
        loader_->wait();
}

void StudioPage::bindCommands() {
    CommandTable& commands = context().commands;
    commands.Bind(cmd::ShowFile, this, [this] { loadSelectedFile(); });
    commands.Bind(cmd::OpenImage, this, [this] { openImage(); });
    commands.Bind(cmd::SaveImage, this, [this] { saveImage(); });
    commands.Bind(cmd::RotateLeft, this, [this] {
        document_.RotateAnticlockwise();
        showDocument();
    });
    commands.Bind(cmd::RotateRight, this, [this] {
        document_.RotateClockwise();
        showDocument();
    });
    commands.Bind(cmd::ZoomIn, this, [this] {
        document_.ZoomIn();
        showDocument();
    });
    commands.Bind(cmd::ZoomOut, this, [this] {
        document_.ZoomOut();
        showDocument();
    });
    commands.Bind(cmd::LoadPrevious, this, [this] { step(-1); });
    commands.Bind(cmd::LoadNext, this, [this] { step(1); });
    commands.Bind(cmd::FitToWindow, this, [this] {
        if (!document_.CurrentFile().empty())
            load(document_.CurrentFile(), fitToWindow());
    });
}

bool StudioPage::fitToWindow() const {
    return context().commands.Action(cmd::FitToWindow)->isChecked();
}

void StudioPage::load(const std::filesystem::path& file, bool fit) {
    if (loader_)
        loader_->wait(); // one load at a time, in the order asked
    document_.SetPageSize(scroll_->viewport()->size());
    document_.BeginLoad(fit);
    showDocument();
    StudioLoadRequest request = document_.RequestFor(file, fit);
    auto result = std::make_shared<std::variant<StudioPicture, std::string>>();
    loader_ = QThread::create([request, result] {
        try {
            *result = StudioDocument::Decode(request);
        } catch (const std::exception& error) {
            *result = std::string(error.what());
        }
    });
    QApplication::setOverrideCursor(Qt::WaitCursor);
    connect(loader_, &QThread::finished, this, [this, file, result] {
        loader_->deleteLater();
        loader_ = nullptr;
        QApplication::restoreOverrideCursor();
        if (auto* message = std::get_if<std::string>(result.get()))
            context().prompts.showMessage(*message);
        else
            document_.Accept(file, std::move(std::get<StudioPicture>(*result)));
        showDocument();
        emit loaded();
    });
    loader_->start();
}

void StudioPage::loadSelectedFile() {
    std::vector<const ImageListItem*> selected = context().selection.selected();
    if (selected.empty() || selected.front()->data.FullName.empty())
        return;
    load(selected.front()->data.FullName, true);
    if (QTabWidget* tabs = enclosingTabs(this))
        tabs->setCurrentWidget(this);
    logGuarded("Image loaded");
}

void StudioPage::openImage() {
    std::optional<std::string> file = context().prompts.chooseFileToOpen("Open image", kOpenFilter);
    if (file)
        load(*file, fitToWindow());
}

void StudioPage::saveImage() {
    document_.Save(context().prompts);
}

void StudioPage::step(int direction) {
    auto listPaths = [this] {
        std::vector<std::string> paths;
        for (const ImageListItem* item : context().selection.listed())
            if (!item->data.FullName.empty())
                paths.push_back(item->data.FullName);
        return paths;
    };
    if (std::optional<std::string> file = document_.Neighbour(listPaths, direction))
        load(*file, fitToWindow());
}

void StudioPage::showDocument() {
    bool fitted = document_.FitMode() && !document_.Zoomed();
    scroll_->setWidgetResizable(fitted);
    Qt::ScrollBarPolicy policy =
        document_.ScrollBarsShown() ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
    scroll_->setHorizontalScrollBarPolicy(policy);
    scroll_->setVerticalScrollBarPolicy(policy);
    if (!fitted)
        canvas_->resize(document_.ControlSize());
    panel0_->setText(QString::fromStdString(document_.StatusText(0)));
    panel1_->setText(QString::fromStdString(document_.StatusText(1)));
    canvas_->pictureChanged();
}

void StudioPage::resizeEvent(QResizeEvent* event) {
    Page::resizeEvent(event);
    if (document_.FitMode() && !document_.Zoomed()) {
        document_.SetPageSize(scroll_->viewport()->size());
        canvas_->pictureChanged();
    }
}

bool StudioPage::handleKey(QKeyEvent* event) {
    CommandTable& commands = context().commands;
    bool keypad = event->modifiers() & Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Right:
    case Qt::Key_Down:
        commands.Action(cmd::LoadNext)->trigger();
        return true;
    case Qt::Key_Backspace:
    case Qt::Key_Left:
    case Qt::Key_Up:
        commands.Action(cmd::LoadPrevious)->trigger();
        return true;
    case Qt::Key_Plus:
        if (!keypad)
            return false;
        commands.Action(cmd::ZoomIn)->trigger();
        return true;
    case Qt::Key_Minus:
        if (!keypad)
            return false;
        commands.Action(cmd::ZoomOut)->trigger();
        return true;
    case Qt::Key_Escape:
        if (QTabWidget* tabs = enclosingTabs(this))
            tabs->setCurrentIndex(0);
        return true;
    default:
        return false;
    }
}

bool StudioPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && isVisible() &&
        handleKey(static_cast<QKeyEvent*>(event)))
        return true;
    return Page::eventFilter(watched, event);
}

} // namespace orvella
