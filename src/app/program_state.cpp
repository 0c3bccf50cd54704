// Definitions of the program-wide state.
#include "app/program_state.h"

Connection cnMain;
QString strDbType;
QString strDataPath;
QString strDataFile;
QString strConnect;
QString strCzyName;
QString strGsName;

void resetProgramState()
{
    cnMain.close();
    cnMain.setCursorLocation(2);
    cnMain.setCommandTimeout(30);
    strDbType.clear();
    strDataPath.clear();
    strDataFile.clear();
    strConnect.clear();
    strCzyName.clear();
    strGsName.clear();
}
