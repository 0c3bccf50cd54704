// FrmgzDprint: the pay sheet window "工资单打印": one month, a caption row, one row per employee, "合计".
#pragma once

#include "printing/pay_grid_window.h"

class FrmgzDprint : public PayGridWindow {
    Q_OBJECT
public:
    explicit FrmgzDprint(QWidget *parent = nullptr);
};
