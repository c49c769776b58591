#include "editor/qt/gps_qconfig_dlg.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyleOptionToolButton>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

#include "config/models.h"
#include "config/result_colour.h"
#include "editor/control_hints.h"
#include "editor/qt/about_dlg.h"
#include "editor/qt/dialog_units.h"
#include "editor/qt/expert_prop.h"
#include "editor/qt/gps_prop.h"
#include "editor/qt/internet_prop.h"
#include "editor/qt/main_prop.h"
#include "editor/qt/page_builder.h"
#include "editor/qt/sensors_prop.h"
#include "editor/qt/status_pane.h"
#include "editor/qt/tooltip_text.h"
#include "editor/qt/wake_prop.h"
#include "editor/qt/window_images.h"
#include "link/com_port.h"
#include "link/status_texts.h"
#include "settings/settings_file.h"
#include "settings/tracker_backup.h"

namespace {

constexpr int kTickMs = 20;

// The window's template: 359 x 308 dialog units below the bars.
constexpr int kTemplateWidth = 359;
constexpr int kTemplateHeight = 308;
// Status panes 0 and 1 as wide as on the template's 8-point font (6 pixels a
// character); pane 2 takes the rest.
constexpr int kPane0Pixels = 50;
constexpr int kPane1Pixels = 250;
constexpr int kTemplateBaseX = 6;

struct ModelItem {
    int command;
    int model;
};
constexpr ModelItem kModelItems[3] = {
    {32814, kModelRQ30},
    {32813, kModelRQ10},
    {32812, kModelRQ20},
};

QColor rgb(std::uint32_t value) {
    return QColor((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

QAction* command(QObject* parent, int id, const QString& text) {
    auto* action = new QAction(text, parent);
    action->setObjectName(QString::number(id));
    return action;
}

}  // namespace

void ModelDropButton::mousePressEvent(QMouseEvent* event) {
    QStyleOptionToolButton option;
    initStyleOption(&option);
    const QRect arrow =
        style()->subControlRect(QStyle::CC_ToolButton, &option, QStyle::SC_ToolButtonMenu, this);
    if (event->button() == Qt::LeftButton && arrow.contains(event->position().toPoint())) {
        event->accept();
        emit arrowPressed();
        return;
    }
    QToolButton::mousePressEvent(event);
}

CGPS_QConfigDlg::CGPS_QConfigDlg(QWidget* parent)
    : CGPS_QConfigDlg(std::make_unique<CCOMPort>(), nullptr, parent) {}

CGPS_QConfigDlg::CGPS_QConfigDlg(SerialLink& link, QWidget* parent)
    : CGPS_QConfigDlg(nullptr, &link, parent) {}

CGPS_QConfigDlg::CGPS_QConfigDlg(std::unique_ptr<SerialLink> own, SerialLink* borrowed,
                                 QWidget* parent)
    : QDialog(parent),
      ownLink_(std::move(own)),
      link_(borrowed ? *borrowed : *ownLink_),
      chooseFile_(&CGPS_QConfigDlg::chooseSettingsFile) {
    setWindowTitle("GPS Quelter конфигуратор v130.1.2");
    setWindowIcon(applicationIcon());
    // A caption with a close box only: no minimise, maximise or help button.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildMenus();

    auto* toolbar = new QToolBar(this);
    buildToolbar(toolbar);
    layout->addWidget(toolbar);

    // The template's area: presets and logo above the tabs.
    auto* area = new QWidget(this);
    auto* areaLayout = new QVBoxLayout(area);
    areaLayout->addWidget(buildPresetRow());
    tabs_ = new QTabWidget(area);
    tabs_->setObjectName("1103");
    tabs_->addTab(new CMainProp(controls_), "Основные");
    tabs_->addTab(new CWakeProp(controls_), "Будильники");
    tabs_->addTab(new CGPSProp(controls_), "GPS");
    tabs_->addTab(new CInternetProp(controls_), "Интернет");
    tabs_->addTab(new CSensorsProp(controls_), "Датчики");
    tabs_->addTab(new CExpertProp(controls_), "Эксперт");
    areaLayout->addWidget(tabs_, 1);
    area->setMinimumSize(dialogUnits(font()).toPixels(kTemplateWidth, kTemplateHeight));
    layout->addWidget(area, 1);

    auto* statusBar = new QStatusBar(this);
    buildStatusLine(statusBar);
    layout->addWidget(statusBar);

    // Fixed: the template's size, grown where this platform's fonts need
    // more room, plus the bars.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    tick_.setSingleShot(true);
    tick_.setInterval(kTickMs);
    connect(&tick_, &QTimer::timeout, this, [this] { editor_->onTick(); });

    editor_ = std::make_unique<CConfigEditor>(controls_, *this, link_);
    controls_.setSink(editor_.get());
    watchArrivals();
    editor_->startUp();
}

CGPS_QConfigDlg::~CGPS_QConfigDlg() {
    tick_.stop();
    // Focus changes while the widgets go must not reach a destroyed editor.
    controls_.setSink(nullptr);
    // The editor closes the port, so its reader thread is gone before the
    // notify and the eventfd go.
    editor_.reset();
    link_.setArrivalNotify(nullptr, nullptr);
    arrivalNotifier_.reset();
    if (arrivalFd_ >= 0) ::close(arrivalFd_);
}

void CGPS_QConfigDlg::watchArrivals() {
    arrivalFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    // Without it the window still works, on its tick alone.
    if (arrivalFd_ < 0) return;
    arrivalNotifier_ = std::make_unique<QSocketNotifier>(arrivalFd_, QSocketNotifier::Read);
    connect(arrivalNotifier_.get(), &QSocketNotifier::activated, this,
            &CGPS_QConfigDlg::onArrivalSignalled);
    link_.setArrivalNotify(&CGPS_QConfigDlg::signalArrival, &arrivalFd_);
}

void CGPS_QConfigDlg::signalArrival(void* eventFd) {
    const std::uint64_t one = 1;
    // A full counter is already readable; nothing else can fail here.
    if (::write(*static_cast<const int*>(eventFd), &one, sizeof one) < 0) return;
}

void CGPS_QConfigDlg::onArrivalSignalled() {
    std::uint64_t count = 0;
    // Resets the counter: every arrival signalled so far is handled now.
    if (::read(arrivalFd_, &count, sizeof count) < 0) return;
    editor_->onArrival();
}

void CGPS_QConfigDlg::buildMenus() {
    auto* bar = new QMenuBar(this);
    bar->setObjectName("156");
    QMenu* file = bar->addMenu("Файл");
    QAction* open = command(this, 32815, "Открыть файл настроек");
    QAction* save = command(this, 32816, "Сохранить файл настроек");
    auto* restore = new QAction("Восстановить из резервной копии…", this);
    restore->setObjectName("restoreBackup");
    QAction* quit = command(this, 32817, "Выход");
    connect(open, &QAction::triggered, this, &CGPS_QConfigDlg::onOpenSettings);
    connect(save, &QAction::triggered, this, &CGPS_QConfigDlg::onSaveSettings);
    connect(restore, &QAction::triggered, this, &CGPS_QConfigDlg::onRestoreBackup);
    connect(quit, &QAction::triggered, this, &QDialog::reject);
    file->addActions({open, save, restore, quit});

    QMenu* device = bar->addMenu("GPS Квелтер");
    QAction* read = command(this, 32818, "Прочитать настройки Квелтера");
    QAction* write = command(this, 32819, "Записать настройки в Квелтер");
    QAction* reset = command(this, 32820, "Сбросить настройки Квелтера");
    connect(read, &QAction::triggered, this, &CGPS_QConfigDlg::onReadDevice);
    connect(write, &QAction::triggered, this, &CGPS_QConfigDlg::onWriteDevice);
    connect(reset, &QAction::triggered, this, &CGPS_QConfigDlg::onResetDevice);
    device->addAction(read);
    device->addAction(write);
    device->addSeparator();
    device->addAction(reset);

    // The About item: there is no window menu of the system's to put it in.
    QMenu* help = bar->addMenu("?");
    QAction* about = command(this, 16, "&О проекте QuelterConfig...");
    connect(about, &QAction::triggered, this, &CGPS_QConfigDlg::showAbout);
    help->addAction(about);

    layout()->setMenuBar(bar);
}

void CGPS_QConfigDlg::buildToolbar(QToolBar* toolbar) {
    toolbar->setObjectName("59392");
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->setIconSize(QSize(32, 32));
    toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    const QColor face = palette().button().color();

    struct ImageButton {
        int image;
        int command;
        const char* text;
        void (CGPS_QConfigDlg::*slot)();
    };
    const ImageButton buttons[] = {
        {0, 32782, "Открыть файл настроек GPS Quelter", &CGPS_QConfigDlg::onOpenSettings},
        {1, 32780, "Сохранить текущие настройки в файл", &CGPS_QConfigDlg::onSaveSettings},
        {2, 32786,
         "Прочитать текущие настройки в подключенном GPS Quelter (Может потребоваться кабель "
         "T3Link)",
         &CGPS_QConfigDlg::onReadDevice},
        {3, 32788,
         "Записать текущие настройки в подключенный GPS Quelter (Может потребоваться кабель "
         "T3Link)",
         &CGPS_QConfigDlg::onWriteDevice},
        {4, 32791, "Выставить текущие настройки GPS Quelter по-умолчанию",
         &CGPS_QConfigDlg::onResetDevice},
    };
    for (const ImageButton& b : buttons) {
        QAction* action = command(this, b.command, QString::fromUtf8(b.text));
        action->setIcon(QIcon(toolbarPixmap(b.image, face)));
        connect(action, &QAction::triggered, this, b.slot);
        toolbar->addAction(action);
        // The separators stand after the save, write and reset buttons.
        if (b.command == 32780 || b.command == 32788 || b.command == 32791) toolbar->addSeparator();
    }

    modelMenu_ = new QMenu(this);
    modelMenu_->setObjectName("175");
    for (int i = 0; i < 3; ++i) {
        modelActions_[i] =
            command(modelMenu_, kModelItems[i].command, modelName(kModelItems[i].model));
        modelActions_[i]->setCheckable(true);
        modelMenu_->addAction(modelActions_[i]);
    }
    modelActions_[0]->setChecked(true);

    modelDrop_ = new ModelDropButton(toolbar);
    modelDrop_->setObjectName("32792");
    modelDrop_->setText("Модель устройства:");
    modelDrop_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    modelDrop_->setPopupMode(QToolButton::MenuButtonPopup);
    modelDrop_->setMenu(modelMenu_);  // draws the arrow; the press opens it here
    connect(modelDrop_, &ModelDropButton::arrowPressed, this, &CGPS_QConfigDlg::openModelMenu);
    toolbar->addWidget(modelDrop_);

    modelButton_ = new QToolButton(toolbar);
    modelButton_->setObjectName("modelButton");
    modelButton_->setText(modelName(kModelRQ30));
    modelButton_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    toolbar->addWidget(modelButton_);
}

QWidget* CGPS_QConfigDlg::buildPresetRow() {
    auto* row = new QWidget;
    auto* rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(0, 0, 0, 0);

    QGroupBox* presets = PageBuilder::groupBox("Предустановленный режим работы");
    auto* buttons = new QHBoxLayout(presets);
    PageBuilder b(controls_, PageId::Window, presets);
    for (const ControlHint& hint : presetHints()) {
        QAbstractButton* button = b.radio(hint.id);
        button->setToolTip(tooltipText(hint.text));
        buttons->addWidget(button);
    }
    b.finish();
    rowLayout->addWidget(presets, 0, Qt::AlignTop);
    rowLayout->addStretch(1);

    auto* logo = new QLabel;
    logo->setObjectName("1162");
    logo->setPixmap(logoPixmap(palette().button().color()));
    rowLayout->addWidget(logo, 0, Qt::AlignTop);
    return row;
}

void CGPS_QConfigDlg::buildStatusLine(QStatusBar* statusBar) {
    statusBar->setObjectName("59393");
    statusBar->setSizeGripEnabled(false);
    const int baseX = dialogUnits(font()).baseX;
    const QFontMetrics fm(font());
    // Pane 1 holds the longest result text whole.
    int resultWidth = kPane1Pixels * baseX / kTemplateBaseX;
    for (const char* text : {kTextNoConnection, kTextReadOk, kTextBadModel, kTextIncompatible,
                             kTextWriteOk, kTextInterrupted, kSettingsSavedText,
                             kSettingsSaveFailedText, kSettingsOpenedText, kSettingsOpenFailedText})
        resultWidth = std::max(resultWidth, fm.horizontalAdvance(QString::fromUtf8(text)) + 6);
    const QString checkFailed = QString::asprintf(kTextCheckFailedFormat, int(kDeviceBlockSize));
    resultWidth = std::max(resultWidth, fm.horizontalAdvance(checkFailed) + 6);
    const QString modelKept = QString::fromStdString(OpenedModelKeptText(kModelRQ30));
    resultWidth = std::max(resultWidth, fm.horizontalAdvance(modelKept) + 6);

    for (int i = 0; i < 3; ++i) {
        panes_[i] = new StatusPane(statusBar);
        panes_[i]->setObjectName(QString::number(25000 + i));
    }
    panes_[0]->setFixedWidth(kPane0Pixels * baseX / kTemplateBaseX);
    panes_[1]->setFixedWidth(resultWidth);
    statusBar->addWidget(panes_[0]);
    statusBar->addWidget(panes_[1]);
    statusBar->addWidget(panes_[2], 1);

    const QColor face = palette().button().color();
    panes_[0]->setBackground(face);
    panes_[1]->setBackground(rgb(kResultGreenRgb));
    panes_[2]->setText("Версия прошивки:");
    panes_[2]->setBackground(face);
}

void CGPS_QConfigDlg::showResult(const std::string& text, ResultColour colour) {
    panes_[1]->setText(QString::fromStdString(text));
    // A reason naming a path may be longer than the pane.
    panes_[1]->setToolTip(QString::fromStdString(text));
    panes_[1]->setBackground(rgb(resultRgb(colour)));
}

void CGPS_QConfigDlg::showVersion(const std::string& text) {
    panes_[2]->setText(QString::fromStdString(text));
    panes_[2]->setBackground(palette().button().color());
}

void CGPS_QConfigDlg::setModelButtonText(const std::string& text) {
    modelButton_->setText(QString::fromStdString(text));
}

void CGPS_QConfigDlg::showBackup(const std::string& binPath) {
    const QString path = QFile::decodeName(QByteArray::fromStdString(binPath));
    const QString text = QString::fromUtf8(kBackupNamedText) + QFileInfo(path).fileName();
    StatusPane* pane = panes_[0];
    pane->setText(text);
    pane->setToolTip(QDir::toNativeSeparators(path));
    const int templateWidth = kPane0Pixels * dialogUnits(font()).baseX / kTemplateBaseX;
    pane->setFixedWidth(std::max(templateWidth, QFontMetrics(font()).horizontalAdvance(text) + 6));
}

void CGPS_QConfigDlg::armTick() {
    tick_.start();  // restarts the 20 ms when already armed
}

void CGPS_QConfigDlg::cancelTick() {
    tick_.stop();
}

QString CGPS_QConfigDlg::chooseSettingsFile(QWidget* parent, bool save, const QString& folder) {
    QFileDialog dialog(parent);
    if (!folder.isEmpty()) dialog.setDirectory(folder);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters({"Ini Files (*.ini)", "All Files (*.*)"});
    dialog.setDefaultSuffix("ini");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

void CGPS_QConfigDlg::onOpenSettings() {
    editor_->beginOpen();
    const QString path = chooseFile_(this, false, {});
    if (path.isEmpty())
        editor_->openCancelled();
    else
        editor_->openSettingsFrom(QFile::encodeName(path).toStdString());
}

void CGPS_QConfigDlg::onRestoreBackup() {
    const std::string folder = editor_->beginRestore();
    const QString path =
        chooseFile_(this, false, QFile::decodeName(QByteArray::fromStdString(folder)));
    if (path.isEmpty())
        editor_->openCancelled();
    else
        editor_->openSettingsFrom(QFile::encodeName(path).toStdString());
}

void CGPS_QConfigDlg::onSaveSettings() {
    // The pages are collected before the dialog opens, as a cancelled save
    // collects them too.
    editor_->beginSave();
    const QString path = chooseFile_(this, true, {});
    if (path.isEmpty())
        editor_->saveCancelled();
    else
        editor_->saveSettingsTo(QFile::encodeName(path).toStdString());
}

void CGPS_QConfigDlg::onReadDevice() {
    editor_->readDevice();
}

void CGPS_QConfigDlg::onWriteDevice() {
    editor_->writeDevice();
}

void CGPS_QConfigDlg::onResetDevice() {
    editor_->resetDevice();
}

void CGPS_QConfigDlg::openModelMenu() {
    // Check the model being edited; a model of no name keeps the menu's own
    // mark on "RQ30".
    const int model = editor_->editedModel();
    const bool named = modelName(model) != nullptr;
    for (int i = 0; i < 3; ++i)
        modelActions_[i]->setChecked(named ? kModelItems[i].model == model : i == 0);

    modelDrop_->setDown(true);
    QAction* chosen = modelMenu_->exec(modelDrop_->mapToGlobal(modelDrop_->rect().bottomLeft()));
    modelDrop_->setDown(false);
    int choice = 0;  // dismissed: no model
    for (int i = 0; i < 3; ++i)
        if (chosen == modelActions_[i]) choice = kModelItems[i].model;
    editor_->chooseModel(choice);
}

void CGPS_QConfigDlg::showAbout() {
    CAboutDlg about(this);
    about.exec();
}

void CGPS_QConfigDlg::keyPressEvent(QKeyEvent* event) {
    // Enter has no default button to press here; Escape closes the window.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
