// rsgz: the personnel-and-payroll program of 禾沐馆务.
#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    return 0;
}
