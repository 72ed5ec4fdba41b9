// The list of unit backups.
#include "shell/ui/restore_backup_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "files/ign_layout.h"
#include "params/param_model.h"
#include "text/mstring.h"

RestoreBackupDialog::RestoreBackupDialog(std::vector<q3::UnitBackup> backups,
                                         const q3::ParamImage& current, QWidget* parent)
    : QDialog(parent), m_backups(std::move(backups)) {
  setObjectName("FormRestoreBackup");
  setWindowTitle(QString::fromUtf8(
      q3::ml("###Restore unit backup##Gerätesicherung wiederherstellen##Obnovit zálohu jednotky")));
  auto* v = new QVBoxLayout(this);
  auto* note = new QLabel(
      QString::fromUtf8(q3::ml(
          "###The unit's settings kept before each programming, newest first. The chosen one is "
          "programmed into the connected unit."
          "##Die vor jedem Programmieren gesicherten Geräteeinstellungen, die neuesten zuerst. Die "
          "gewählte wird in das angeschlossene Gerät programmiert."
          "##Nastavení jednotky uložená před každým programováním, nejnovější nahoře. Vybrané se "
          "naprogramuje do připojené jednotky.")),
      this);
  note->setWordWrap(true);
  v->addWidget(note);
  m_table = new QTableWidget(int(m_backups.size()), 4, this);
  m_table->setObjectName("TableBackups");
  m_table->setHorizontalHeaderLabels(
      {QString::fromUtf8(q3::ml("###Date##Datum##Datum")),
       QString::fromUtf8(q3::ml("###Unit##Gerät##Jednotka")),
       QString::fromUtf8(q3::ml("###Bike##Motorrad##Motocykl")),
       QString::fromUtf8(q3::ml("###Parameters that differ##Abweichende Parameter##Odlišné "
                                "parametry"))});
  m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_table->setSelectionMode(QAbstractItemView::SingleSelection);
  m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_table->verticalHeader()->hide();
  for (int r = 0; r < int(m_backups.size()); ++r) {
    const q3::UnitBackup& b = m_backups[size_t(r)];
    q3::ParamModel kept;
    int differ = -1;
    if (q3::BackupStore::load(b.path, kept))
      differ =
          int(q3::differingKeywords(kept.image().data(), current.data(), q3::kImageSize).size());
    const QString cells[4] = {QString::fromStdString(b.stamp), QString::fromStdString(b.serial),
                              QString::number(b.bike),
                              differ < 0 ? QStringLiteral("?") : QString::number(differ)};
    for (int c = 0; c < 4; ++c) m_table->setItem(r, c, new QTableWidgetItem(cells[c]));
  }
  m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  m_table->horizontalHeader()->setStretchLastSection(true);
  v->addWidget(m_table, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
  m_restore = buttons->addButton(
      QString::fromUtf8(q3::ml("###Program into the unit##In das Gerät programmieren##"
                               "Naprogramovat do jednotky")),
      QDialogButtonBox::AcceptRole);
  m_restore->setObjectName("ButtonRestoreBackup");
  m_restore->setEnabled(false);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(m_table, &QTableWidget::itemSelectionChanged, this,
          [this] { m_restore->setEnabled(!m_table->selectedItems().isEmpty()); });
  v->addWidget(buttons);
  resize(640, 400);
}

std::string RestoreBackupDialog::chosenPath() const {
  const int r = m_table->currentRow();
  if (r < 0 || r >= int(m_backups.size()) || m_table->selectedItems().isEmpty()) return {};
  return m_backups[size_t(r)].path;
}
