// File -> "Restore unit backup...": the settings kept before each programming,
// newest first, with the unit, the bike and how many parameters differ from
// the settings in the window; the chosen one is returned for programming.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "files/unit_backup.h"
#include "params/param_image.h"

class QTableWidget;
class QPushButton;

class RestoreBackupDialog : public QDialog {
  Q_OBJECT
 public:
  RestoreBackupDialog(std::vector<q3::UnitBackup> backups, const q3::ParamImage& current,
                      QWidget* parent = nullptr);
  // The chosen backup's file ("" when none was chosen).
  std::string chosenPath() const;

 private:
  std::vector<q3::UnitBackup> m_backups;
  QTableWidget* m_table = nullptr;
  QPushButton* m_restore = nullptr;
};
