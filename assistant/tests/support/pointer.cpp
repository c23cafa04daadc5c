#include "pointer.h"

#include "support/testsupport.h"

namespace pointer {

void pageThrough(const testsupport::Xvfb& x, QWidget* list, const std::function<int()>& page, int pages,
                 const char* what) {
    SCOPED_TRACE(what);
    auto* next = list->findChild<QToolButton*>("nextBtn");
    auto* prev = list->findChild<QToolButton*>("prevBtn");
    ASSERT_TRUE(next && prev);
    ASSERT_EQ(page(), 0);
    ASSERT_GE(pages, 2) << "the test needs more than one page";
    for (int p = 1; p < pages; ++p) {
        ASSERT_TRUE(next->isEnabled()) << "page " << p;
        clickAt(x, next);
        ASSERT_TRUE(testsupport::waitFor([&] { return page() == p; }, 3000))
            << "next arrow did not turn to page " << p;
    }
    EXPECT_FALSE(next->isEnabled()) << "the last page leads nowhere";
    for (int p = pages - 2; p >= 0; --p) {
        clickAt(x, prev);
        ASSERT_TRUE(testsupport::waitFor([&] { return page() == p; }, 3000))
            << "previous arrow did not turn to page " << p;
    }
    EXPECT_FALSE(prev->isEnabled());
}

} // namespace pointer
