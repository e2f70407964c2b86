Attribute VB_Name = "HelpIds"
Option Explicit
' Help context ids of the orders application
Public Const IDH_ORDERS = 1010
Const IDH_X As Long = &H3F2
Private Const IDH_Y& = &HFFFF, IDH_Z As Integer = &O17%
Global Const IDH_W As Long = -&H10&
Rem older ones
Public Enum HelpIds
    IDH_E1 = 2000
    IDH_E2 ' 2001
End Enum
