// FrmgzTprint: the pay slip window "工资条打印": a caption row above each employee of one month.
#pragma once

#include "printing/pay_grid_window.h"

class FrmgzTprint : public PayGridWindow {
    Q_OBJECT
public:
    explicit FrmgzTprint(QWidget *parent = nullptr);
};
