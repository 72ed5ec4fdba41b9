// A page whose controls stand in a grid of columns in table order, with
// its rules from the image after every show. rowsPerColumn 0 leaves the
// layout to the page. The gear-dependent pages and
// the N2O page are such pages.
#pragma once

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "pages/page.h"
#include "pages/table_page.h"
#include "params/param_model.h"

namespace q3::pages {

class GridPage : public Page {
 public:
  GridPage(ParamBinder& binder, QWidget* sheet, std::span<const ControlSpec> table,
           int rowsPerColumn, const char* contentName);
  ~GridPage() override;

  void show() override;
  void store() override;
  void retranslate() override;
  TablePage& controls() { return *m_controls; }

 protected:
  // The page's rules, run after every show.
  virtual void applyPageRules(const ParamImage&) {}
  // Page-specific store after the table's.
  virtual void afterStore(ParamImage&) {}
  // A change the page makes itself on a click (defaults of a new choice, a
  // live value): the page's own edits and the change go into the image
  // together and become one apply, so one undo entry.
  void applyChange(const std::function<void(ParamImage&)>& change);

  // A caption the page made itself (a label's text or a group's title)
  // that no text table covers: set now and again on a change of language.
  void ownCaption(QWidget* w, const char* text);

  ParamBinder& m_binder;
  QWidget* m_page;
  std::unique_ptr<TablePage> m_controls;

 private:
  std::vector<std::pair<QWidget*, const char*>> m_ownCaptions;
};

}  // namespace q3::pages
