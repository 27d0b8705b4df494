#include "desktop/plugins/plugins_page.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "desktop/common/program_title.h"
#include "desktop/plugins/plugin_host.h"

namespace kalvory {

CSetPluginsDlgBar::CSetPluginsDlgBar(UiLanguage language, const PluginHost* host, ConfigPageServices services,
                                     QWidget* parent)
    : ConfigPage(language, parent, std::move(services)), host_(host) {
  auto* group = new QGroupBox(this);
  list_ = new QTreeWidget(group);
  list_->setRootIsDecorated(false);
  list_->setColumnCount(2);
  list_->setHeaderLabels({text(StringId::PluginNameHeader), text(StringId::PluginFileHeader)});
  list_->setIconSize(QSize(16, 16));
  // "Name" 120 pixels wide; "File" takes the rest, so that long file names are not cut.
  list_->header()->setStretchLastSection(true);
  list_->header()->resizeSection(0, 120);
  list_->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
  list_->setMinimumWidth(120 + 80 + 20);
  auto* descriptionLabel = new QLabel(text(StringId::PluginDescriptionLabel), group);
  description_ = new QLineEdit(group);
  description_->setReadOnly(true);
  descriptionLabel->setBuddy(description_);
  configure_ = new QPushButton(toQString(loadString(StringId::Configure, language)), group);
  configure_->setEnabled(false);

  auto* row = new QHBoxLayout;
  row->addWidget(descriptionLabel);
  row->addWidget(description_, 1);
  row->addWidget(configure_);
  auto* groupLayout = new QVBoxLayout(group);
  groupLayout->addWidget(list_, 1);
  groupLayout->addLayout(row);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(group);

  connect(list_, &QTreeWidget::itemSelectionChanged, this, &CSetPluginsDlgBar::selectionChanged);
  connect(configure_, &QPushButton::clicked, this, &CSetPluginsDlgBar::configureSelected);
}

void CSetPluginsDlgBar::load(const ApplicationSettings&, const CAlarmDoc&) {
  list_->clear();
  if (host_ != nullptr) {
    const QIcon loaded = style()->standardIcon(QStyle::SP_DialogApplyButton);
    const QIcon failed = style()->standardIcon(QStyle::SP_MessageBoxCritical);
    // Each record goes in at the top: the newest found shows first.
    for (const CPluginRec& record : host_->plugins()) {
      auto* item = new QTreeWidgetItem({toQString(record.name), toQString(record.file)});
      item->setIcon(0, record.loaded() ? loaded : failed);
      item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
      item->setData(0, Qt::UserRole, record.loaded());
      list_->insertTopLevelItem(0, item);
    }
  }
  selectionChanged();
}

void CSetPluginsDlgBar::store(ApplicationSettings&, CAlarmDoc&) {}

void CSetPluginsDlgBar::selectionChanged() {
  const QList<QTreeWidgetItem*> selected = list_->selectedItems();
  if (selected.isEmpty()) {
    configure_->setEnabled(false);
    description_->setText(text(StringId::NotAvailable));
    return;
  }
  configure_->setEnabled(true);
  const auto description = host_ ? host_->description(toStdString(selected.first()->text(0))) : std::nullopt;
  description_->setText(description ? toQString(*description) : text(StringId::NotAvailable));
}

void CSetPluginsDlgBar::configureSelected() {
  const QList<QTreeWidgetItem*> selected = list_->selectedItems();
  if (selected.isEmpty()) {
    if (services().showMessage)
      services().showMessage(text(StringId::PluginNotSelected), this);
    else
      QMessageBox::warning(this, programTitle(), text(StringId::PluginNotSelected));
    return;
  }
  if (host_ != nullptr) host_->configure(toStdString(selected.first()->text(0).left(500)));
}

ConfigPageSource pluginsPageSource(const PluginHost* host) {
  return {StringId::PluginsPage, [host](UiLanguage language, const ConfigPageServices& services, QWidget* parent) {
            return new CSetPluginsDlgBar(language, host, services, parent);
          }};
}

}  // namespace kalvory
