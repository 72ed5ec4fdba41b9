// File -> "Compare...": the window's settings (A) against other settings (B:
// a settings file, the unit's settings as last read, or a unit backup). The
// differences stand grouped by page with their captions and values as the
// pages show them; a map shows as a grid of B - A per cell and as its graph
// with B drawn as the comparison curve. "Take" puts the chosen setting or
// map of B into the window's settings, "Take all" all of B, each as one step
// of the window's undo.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "maps/settings_compare.h"
#include "params/param_image.h"
#include "text/user_dialogs.h"

class QLabel;
class QPushButton;
class QTableWidget;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace q3 {
class MapEditor;
class ParamModel;
}  // namespace q3

class CompareWindow : public QDialog {
  Q_OBJECT
 public:
  // model: the window's settings (read again whenever they change) and the
  // unit's as last read; backups: the folder of the unit backups.
  // dialogs: where a source that cannot be read is told.
  CompareWindow(const q3::ParamModel& model, QString backups, q3::UserDialogs& dialogs,
                QWidget* parent = nullptr);

  // The settings compared with, and what they are (the unit, a file's name).
  void setCompared(const q3::ParamImage& b, const QString& name);
  // B from a settings file (over the window's settings, so that keywords an
  // older file lacks make no difference) or from a unit backup; false with a
  // message when it cannot be read.
  bool compareWithFile(const QString& path);
  bool compareWithBackup(const QString& path);
  // B = the unit's settings as last read; false with a message when none were.
  bool compareWithUnit();
  bool hasCompared() const { return m_haveB; }
  const q3::SettingsComparison& comparison() const { return m_cmp; }

  // Compares again with the window's settings as they are now.
  void refresh();
  // Selects the row of a setting (by control name) or of a map (by owner id
  // and sheet); false when it is not listed.
  bool selectSetting(const char* controlName);
  bool selectMap(int owner, int sheet);
  // Takes the selected row or map, or everything.
  void takeSelected();
  void takeAll();
  // Texts in the current language.
  void retranslate();

  // Runs one change of the window's settings as one undo step.
  std::function<void(const std::function<void(q3::ParamImage&)>&)> applyChange;

 private:
  void rebuild();
  void showMap(int index);
  QTreeWidgetItem* selectedItem() const;

  const q3::ParamModel& m_model;
  q3::UserDialogs& m_dialogs;
  const q3::ParamImage& m_current;
  QString m_backups;
  q3::ParamImage m_b, m_lastA;
  bool m_haveB = false;
  QString m_name;
  q3::SettingsComparison m_cmp;
  QLabel* m_source = nullptr;
  QTreeWidget* m_tree = nullptr;
  QTableWidget* m_grid = nullptr;
  q3::MapEditor* m_graph = nullptr;
  QPushButton* m_file = nullptr;
  QPushButton* m_unit = nullptr;
  QPushButton* m_backup = nullptr;
  QPushButton* m_take = nullptr;
  QPushButton* m_takeAll = nullptr;
  QTimer* m_watch = nullptr;
};
