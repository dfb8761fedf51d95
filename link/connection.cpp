#include "link/connection.h"

#include "runtime/userint.h"

int g_iConnection_status;
int g_iCom_port_num;
int g_iTimer_cnt;
int g_iTimeout_val;

int Timer_CB(int, int, int event, void*, int, int) {
    if (event == EVENT_TIMER_TICK) g_iTimer_cnt++;
    return 0;
}
