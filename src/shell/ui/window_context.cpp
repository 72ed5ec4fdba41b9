// The page services of the window context.
#include "shell/ui/window_context.h"

#include "params/hooked_page_host.h"
#include "params/param_binder.h"

void WindowContext::showActivePage() const {
  const q3::ParamBinder::Suppress hold(binder);
  pageHost.showPage(pageHost.activePage());
}

void WindowContext::showAllPages() const {
  {
    const q3::ParamBinder::Suppress hold(binder);
    for (int p = 0; p < q3::kPageCount; ++p) pageHost.showPage(p);
  }
  events.allPagesShown.notify();
}

void WindowContext::storeActivePage() const { pageHost.storePage(pageHost.activePage()); }
