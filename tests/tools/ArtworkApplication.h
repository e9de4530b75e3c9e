#pragma once

#include <QGuiApplication>

namespace cadrelle::test {

// The QGuiApplication that drawing text needs (for its fonts), for as long as
// the object lives.
class ArtworkApplication {
public:
    ArtworkApplication() : application_(argc_, argv_) {}

private:
    static inline int argc_ = 1;
    static inline char name_[] = "tools_tests";
    static inline char* argv_[] = {name_, nullptr};
    QGuiApplication application_;
};

} // namespace cadrelle::test
