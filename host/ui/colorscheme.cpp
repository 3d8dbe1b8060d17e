#include <QPalette>
#include <QWidget>

#include "colors.h"
#include "theme.h"

// The six colours of the host's scheme become palette roles; controls with
// a fixed look of their own keep it, the frame, background, bevel and labels
// follow the scheme.
void ColoreTela(QWidget* form, int c1, int c2, int c3, int c4, int c5, int c6)
{
    if (!form)
        return;
    QPalette p = form->palette();
    p.setColor(QPalette::Window, colorFromBgr(c1));   // frame
    p.setColor(QPalette::Button, colorFromBgr(c2));   // button faces
    p.setColor(QPalette::Dark, colorFromBgr(c3));     // bevel shadow
    p.setColor(QPalette::Mid, colorFromBgr(c4));      // disabled faces
    p.setColor(QPalette::Base, colorFromBgr(c5));     // background
    p.setColor(QPalette::Light, colorFromBgr(c5).lighter(110));
    p.setColor(QPalette::WindowText, colorFromBgr(c6)); // labels
    p.setColor(QPalette::Text, colorFromBgr(c6));
    form->setPalette(p);
    form->setProperty("qdlColorScheme", QVariantList{c1, c2, c3, c4, c5, c6});
}
