#ifndef QPLUGINHEADER_H
#define QPLUGINHEADER_H

#include "dealsglobal.h"

#include <QLabel>

// The caption label of a module; a class of its own so that style sheets and
// the shell can single module captions out.
class DEALS_EXPORT QPluginHeader : public QLabel
{
    Q_OBJECT

public:
    using QLabel::QLabel;
};

#endif // QPLUGINHEADER_H
