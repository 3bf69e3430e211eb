Attribute VB_Name = "Tavo32"
' TAVO32 bar code font translation for VBA (Excel, Access, Word, Outlook).
'
' Import this module (File > Import File... in the VBA editor) and make the
' tavo32.dll that matches Office's bitness available: 32-bit Office needs the
' x86 DLL, 64-bit Office the x64 one (the other one fails with error 48, a
' missing one with error 53).  Either put it where Windows finds it, or call
' TavoLoadLibrary with the folder that holds it (for example from
' Workbook_Open with ThisWorkbook.Path): see README.md beside this file.
' Then, in a worksheet:
'     =TavoBarcode("ean13", A2)          the text to set in the bar code font
'     =TavoFaceName("ean13", "TAVO ")    the name of that font
'     =TavoBarcodeError("ean13", A2)     why a value is refused ("" if it is not)
'     =TavoQR(A2)                        a QR Code: set the cell in TAVO QR, wrap text on
' and in code TavoTranslate, which raises an error instead.
'
' Text crosses the boundary as bytes.  Font bytes above 127 are Windows-1252
' characters; a Declare'd String would be converted through the system code
' page instead, which gives the wrong characters on Japanese, Chinese or
' Cyrillic Windows.  So every text goes in and out as a Byte array, converted
' here with an explicit Windows-1252 table.
Option Explicit

' Every argument is a 32-bit Long, or the address of a Byte array's first
' element (or of a Long) passed ByRef, so the same declarations serve 32-bit
' Office (stdcall, as the x86 tavo32.dll exports them) and 64-bit Office.
' Each names its export with Alias: the VBA editor re-cases identifiers
' across a project, and an export looked up under another case is not found
' (error 453).  The Digital Link pair (ordinals 17 and 18) is missing from
' libraries up to 3.1.8: calling it there raises error 453, which
' TavoGs1DigitalLink and TavoGs1FromDigitalLink explain.  The domain of
' BC_GS1DigitalLink is an address, as it may be null.
#If VBA7 Then
Private Declare PtrSafe Function BC_FontTranslate Lib "tavo32.dll" Alias "BC_FontTranslate" ( _
    ByVal sym As Long, ByRef valueBytes As Byte, ByVal checkFlag As Long, _
    ByRef outBuf As Byte, ByVal outCap As Long, ByRef outLen As Long) As Long
Private Declare PtrSafe Function BC_StrErr Lib "tavo32.dll" Alias "BC_StrErr" ( _
    ByVal errCode As Long, ByRef outBuf As Byte, ByVal outCap As Long) As Long
Private Declare PtrSafe Function BC_FontGetFaceName Lib "tavo32.dll" Alias "BC_FontGetFaceName" ( _
    ByRef prefixBytes As Byte, ByVal sym As Long, ByVal heightCode As Long, _
    ByVal captionFlag As Long, ByRef outBuf As Byte, ByVal outCap As Long, _
    ByRef outLen As Long) As Long
Private Declare PtrSafe Function BC_CharCheck Lib "tavo32.dll" Alias "BC_CharCheck" ( _
    ByVal sym As Long, ByVal charByte As Long, ByVal altFlag As Long, _
    ByRef outBuf As Byte, ByVal outCap As Long, ByRef outLen As Long) As Long
Private Declare PtrSafe Function BC_FontGetVer Lib "tavo32.dll" Alias "BC_FontGetVer" () As Long
Private Declare PtrSafe Function TAVO_VersionMajor Lib "tavo32.dll" Alias "TAVO_VersionMajor" () As Long
Private Declare PtrSafe Function TAVO_VersionMinor Lib "tavo32.dll" Alias "TAVO_VersionMinor" () As Long
Private Declare PtrSafe Function TAVO_VersionRevision Lib "tavo32.dll" Alias "TAVO_VersionRevision" () As Long
Private Declare PtrSafe Function BC_GS1HumanReadable Lib "tavo32.dll" Alias "BC_GS1HumanReadable" ( _
    ByRef valueBytes As Byte, ByRef outBuf As Byte, ByVal outCap As Long, _
    ByRef outLen As Long) As Long
Private Declare PtrSafe Function BC_GS1CheckDigit Lib "tavo32.dll" Alias "BC_GS1CheckDigit" ( _
    ByRef keyBytes As Byte, ByVal verifyFlag As Long, ByRef digit As Long) As Long
Private Declare PtrSafe Function BC_GS1DigitalLink Lib "tavo32.dll" Alias "BC_GS1DigitalLink" ( _
    ByRef valueBytes As Byte, ByVal domainAddress As LongPtr, ByRef outBuf As Byte, _
    ByVal outCap As Long, ByRef outLen As Long) As Long
Private Declare PtrSafe Function BC_GS1FromDigitalLink Lib "tavo32.dll" Alias "BC_GS1FromDigitalLink" ( _
    ByRef uriBytes As Byte, ByRef outBuf As Byte, ByVal outCap As Long, _
    ByRef outLen As Long) As Long
Private Declare PtrSafe Function LoadLibraryW Lib "kernel32" Alias "LoadLibraryW" ( _
    ByVal fileName As LongPtr) As LongPtr
#Else
Private Declare Function BC_FontTranslate Lib "tavo32.dll" Alias "BC_FontTranslate" ( _
    ByVal sym As Long, ByRef valueBytes As Byte, ByVal checkFlag As Long, _
    ByRef outBuf As Byte, ByVal outCap As Long, ByRef outLen As Long) As Long
Private Declare Function BC_StrErr Lib "tavo32.dll" Alias "BC_StrErr" ( _
    ByVal errCode As Long, ByRef outBuf As Byte, ByVal outCap As Long) As Long
Private Declare Function BC_FontGetFaceName Lib "tavo32.dll" Alias "BC_FontGetFaceName" ( _
    ByRef prefixBytes As Byte, ByVal sym As Long, ByVal heightCode As Long, _
    ByVal captionFlag As Long, ByRef outBuf As Byte, ByVal outCap As Long, _
    ByRef outLen As Long) As Long
Private Declare Function BC_CharCheck Lib "tavo32.dll" Alias "BC_CharCheck" ( _
    ByVal sym As Long, ByVal charByte As Long, ByVal altFlag As Long, _
    ByRef outBuf As Byte, ByVal outCap As Long, ByRef outLen As Long) As Long
Private Declare Function BC_FontGetVer Lib "tavo32.dll" Alias "BC_FontGetVer" () As Long
Private Declare Function TAVO_VersionMajor Lib "tavo32.dll" Alias "TAVO_VersionMajor" () As Long
Private Declare Function TAVO_VersionMinor Lib "tavo32.dll" Alias "TAVO_VersionMinor" () As Long
Private Declare Function TAVO_VersionRevision Lib "tavo32.dll" Alias "TAVO_VersionRevision" () As Long
Private Declare Function BC_GS1HumanReadable Lib "tavo32.dll" Alias "BC_GS1HumanReadable" ( _
    ByRef valueBytes As Byte, ByRef outBuf As Byte, ByVal outCap As Long, _
    ByRef outLen As Long) As Long
Private Declare Function BC_GS1CheckDigit Lib "tavo32.dll" Alias "BC_GS1CheckDigit" ( _
    ByRef keyBytes As Byte, ByVal verifyFlag As Long, ByRef digit As Long) As Long
Private Declare Function BC_GS1DigitalLink Lib "tavo32.dll" Alias "BC_GS1DigitalLink" ( _
    ByRef valueBytes As Byte, ByVal domainAddress As Long, ByRef outBuf As Byte, _
    ByVal outCap As Long, ByRef outLen As Long) As Long
Private Declare Function BC_GS1FromDigitalLink Lib "tavo32.dll" Alias "BC_GS1FromDigitalLink" ( _
    ByRef uriBytes As Byte, ByRef outBuf As Byte, ByVal outCap As Long, _
    ByRef outLen As Long) As Long
Private Declare Function LoadLibraryW Lib "kernel32" Alias "LoadLibraryW" ( _
    ByVal fileName As Long) As Long
#End If

Private Const ERR_ILLEGAL_CHARACTER As Long = 32505
Private Const ERR_TOO_MANY_CHARACTERS As Long = 32510
Private Const ERR_UNKNOWN_SYMBOLOGY As Long = 32511
Private Const ERR_BAD_OPTION As Long = 32561
Private Const ERR_ENTRY_NOT_FOUND As Long = 453
Private Const XL_ERR_VALUE As Long = 2015   ' CVErr(XL_ERR_VALUE) shows as #VALUE!
Private Const ERROR_BAD_EXE_FORMAT As Long = 193
Private Const MODULE_NAME As String = "Tavo32"   ' Err.Source of the errors this module raises

' The message of the last error this module found itself (an unknown name,
' option or value), for TavoBarcodeError and TavoTranslate.
Private surfaceMessage As String

' The symbologies of the registry: a constant for each code, the names and
' aliases, the font, text rule and named options of each.
' ---- BEGIN TABLES generated by bindings/generate_tables.py from `tavo list --json`; do not edit ----
Public Const TAVO_CODE39ASCII As Long = 0   ' Code 39 Full ASCII
Public Const TAVO_CODE39 As Long = 1   ' Code 39
Public Const TAVO_I2OF5 As Long = 2   ' Interleaved 2 of 5
Public Const TAVO_CODABAR As Long = 3   ' Codabar
Public Const TAVO_MSI As Long = 4   ' MSI
Public Const TAVO_CODE93 As Long = 5   ' Code 93
Public Const TAVO_UPCA As Long = 6   ' UPC-A
Public Const TAVO_UPCE As Long = 7   ' UPC-E
Public Const TAVO_POSTNET As Long = 8   ' PostNet
Public Const TAVO_EAN8 As Long = 9   ' EAN-8
Public Const TAVO_EAN13 As Long = 10   ' EAN-13
Public Const TAVO_CODE128 As Long = 11   ' Code 128
Public Const TAVO_GS1_128 As Long = 12   ' GS1-128
Public Const TAVO_IMB As Long = 13   ' Intelligent Mail
Public Const TAVO_QR As Long = 14   ' QR Code
Public Const TAVO_DATAMATRIX As Long = 15   ' Data Matrix
Public Const TAVO_GTIN13 As Long = 16   ' EAN-13 from a GTIN-13
Public Const TAVO_GTIN8 As Long = 17   ' EAN-8 from a GTIN-8
Public Const TAVO_GTIN12 As Long = 18   ' UPC-A from a GTIN-12
Public Const TAVO_UPCE8 As Long = 19   ' UPC-E from 8 digits
Public Const TAVO_ITF14 As Long = 20   ' ITF-14
Public Const TAVO_DATABAR As Long = 21   ' GS1 DataBar Omnidirectional
Public Const TAVO_DATABAR_STACKED As Long = 23   ' GS1 DataBar Stacked
Public Const TAVO_DATABAR_STACKED_OMNI As Long = 24   ' GS1 DataBar Stacked Omnidirectional
Public Const TAVO_DATABAR_LIMITED As Long = 25   ' GS1 DataBar Limited
Public Const TAVO_DATABAR_EXPANDED As Long = 26   ' GS1 DataBar Expanded
Public Const TAVO_DATABAR_EXPANDED_STACKED As Long = 27   ' GS1 DataBar Expanded Stacked
Public Const TAVO_PDF417 As Long = 28   ' PDF417
Public Const TAVO_MICROPDF417 As Long = 29   ' MicroPDF417
Public Const TAVO_AZTEC As Long = 30   ' Aztec Code

' The code of a name in the compared form (NormalName), -1 when none.
Private Function RegistryCode(ByVal compared As String) As Long
    Select Case compared
    Case "code39ascii", "code39fullascii", "code39extended": RegistryCode = 0
    Case "code39", "code3of9": RegistryCode = 1
    Case "i2of5", "interleaved2of5", "int2of5": RegistryCode = 2
    Case "codabar", "nw7": RegistryCode = 3
    Case "msi", "msiplessey": RegistryCode = 4
    Case "code93": RegistryCode = 5
    Case "upca", "upc": RegistryCode = 6
    Case "upce": RegistryCode = 7
    Case "postnet": RegistryCode = 8
    Case "ean8", "jan8": RegistryCode = 9
    Case "ean13", "jan13": RegistryCode = 10
    Case "code128": RegistryCode = 11
    Case "gs1128", "ean128", "ucc128": RegistryCode = 12
    Case "imb", "intelligentmail", "uspsimb", "onecode": RegistryCode = 13
    Case "qr", "qrcode", "gs1qr": RegistryCode = 14
    Case "datamatrix", "dm", "datamatrixecc200", "gs1datamatrix": RegistryCode = 15
    Case "gtin13": RegistryCode = 16
    Case "gtin8": RegistryCode = 17
    Case "gtin12": RegistryCode = 18
    Case "upce8": RegistryCode = 19
    Case "itf14", "gtin14", "dun14", "scc14": RegistryCode = 20
    Case "databar", "gs1databar", "rss14", "databaromni", "databaromnidirectional": RegistryCode = 21
    Case "databarstacked", "gs1databarstacked", "rss14stacked": RegistryCode = 23
    Case "databarstackedomni", "gs1databarstackedomni", "databarstackedomnidirectional", "rss14stackedomni": RegistryCode = 24
    Case "databarlimited", "gs1databarlimited", "rsslimited": RegistryCode = 25
    Case "databarexpanded", "gs1databarexpanded", "rssexpanded": RegistryCode = 26
    Case "databarexpandedstacked", "gs1databarexpandedstacked", "rssexpandedstacked": RegistryCode = 27
    Case "pdf417": RegistryCode = 28
    Case "micropdf417", "micropdf", "mpdf417": RegistryCode = 29
    Case "aztec", "aztecode": RegistryCode = 30
    Case Else: RegistryCode = -1
    End Select
End Function

' Every canonical name, separated by spaces (suggestions and messages).
Private Function RegistryNames() As String
    RegistryNames = "code39ascii code39 i2of5 codabar msi code93 upca upce postnet ean8 ean13 code128 gs1-128 imb qr datamatrix gtin13 gtin8 gtin12 upce8 itf14 databar databar-stacked databar-stacked-omni databar-limited databar-expanded databar-expanded-stacked pdf417 micropdf417 aztec"
End Function

' The code whose font prints `code`, its text rule (0 Windows-1252, 1 UTF-8
' with ECI, 2 UTF-8), its options as `tavo list --json` names them and its
' canonical name; False for a code without a row.
Private Function RegistryRow(ByVal code As Long, ByRef fontOf As Long, ByRef textRule As Long, _
                             ByRef optionList As String, ByRef rowName As String) As Boolean
    RegistryRow = True
    Select Case code
    Case 0: fontOf = 1: textRule = 0: optionList = "check_digit": rowName = "code39ascii"
    Case 1: fontOf = 1: textRule = 0: optionList = "check_digit": rowName = "code39"
    Case 2: fontOf = 2: textRule = 0: optionList = "check_digit": rowName = "i2of5"
    Case 3: fontOf = 3: textRule = 0: optionList = "check_digit": rowName = "codabar"
    Case 4: fontOf = 4: textRule = 0: optionList = "check_digit": rowName = "msi"
    Case 5: fontOf = 5: textRule = 0: optionList = "": rowName = "code93"
    Case 6: fontOf = 6: textRule = 0: optionList = "": rowName = "upca"
    Case 7: fontOf = 6: textRule = 0: optionList = "": rowName = "upce"
    Case 8: fontOf = 8: textRule = 0: optionList = "": rowName = "postnet"
    Case 9: fontOf = 6: textRule = 0: optionList = "": rowName = "ean8"
    Case 10: fontOf = 6: textRule = 0: optionList = "": rowName = "ean13"
    Case 11: fontOf = 11: textRule = 0: optionList = "": rowName = "code128"
    Case 12: fontOf = 11: textRule = 0: optionList = "": rowName = "gs1-128"
    Case 13: fontOf = 13: textRule = 0: optionList = "": rowName = "imb"
    Case 14: fontOf = 14: textRule = 1: optionList = "level=L|M|Q|H gs1 dl kanji": rowName = "qr"
    Case 15: fontOf = 15: textRule = 2: optionList = "shape=square|rect gs1 dl": rowName = "datamatrix"
    Case 16: fontOf = 6: textRule = 0: optionList = "": rowName = "gtin13"
    Case 17: fontOf = 6: textRule = 0: optionList = "": rowName = "gtin8"
    Case 18: fontOf = 6: textRule = 0: optionList = "": rowName = "gtin12"
    Case 19: fontOf = 6: textRule = 0: optionList = "": rowName = "upce8"
    Case 20: fontOf = 20: textRule = 0: optionList = "": rowName = "itf14"
    Case 21: fontOf = 21: textRule = 0: optionList = "truncated": rowName = "databar"
    Case 23: fontOf = 21: textRule = 0: optionList = "": rowName = "databar-stacked"
    Case 24: fontOf = 21: textRule = 0: optionList = "": rowName = "databar-stacked-omni"
    Case 25: fontOf = 21: textRule = 0: optionList = "": rowName = "databar-limited"
    Case 26: fontOf = 21: textRule = 0: optionList = "": rowName = "databar-expanded"
    Case 27: fontOf = 21: textRule = 0: optionList = "segments=2..20": rowName = "databar-expanded-stacked"
    Case 28: fontOf = 28: textRule = 1: optionList = "level=0|1|2|3|4|5|6|7|8 columns=1..30 truncated": rowName = "pdf417"
    Case 29: fontOf = 28: textRule = 1: optionList = "columns=0..4": rowName = "micropdf417"
    Case 30: fontOf = 30: textRule = 1: optionList = "ec_percent=5..95 size=1..36": rowName = "aztec"
    Case Else: fontOf = -1: textRule = -1: optionList = "": rowName = "": RegistryRow = False
    End Select
End Function

' The code whose character check an input form uses: a symbology without
' faces of its own (Code 39 Full ASCII) is typed in its font's.
Private Function RegistryCheckCode(ByVal code As Long) As Long
    Select Case code
    Case 0: RegistryCheckCode = 1
    Case Else: RegistryCheckCode = code
    End Select
End Function

' The contribution to `check` of option `optionName` (compared form) given
' `optionValue` for `code`: -1 when the option does not take the value, -2
' when the symbology has no such option.
Private Function RegistryOptionCheck(ByVal code As Long, ByVal optionName As String, _
                                     ByVal optionValue As String) As Long
    RegistryOptionCheck = -2
    Select Case code
    Case 0
        Select Case optionName
        Case "checkdigit": RegistryOptionCheck = FlagCheck(optionValue, 1)
        End Select
    Case 1
        Select Case optionName
        Case "checkdigit": RegistryOptionCheck = FlagCheck(optionValue, 1)
        End Select
    Case 2
        Select Case optionName
        Case "checkdigit": RegistryOptionCheck = FlagCheck(optionValue, 1)
        End Select
    Case 3
        Select Case optionName
        Case "checkdigit": RegistryOptionCheck = FlagCheck(optionValue, 1)
        End Select
    Case 4
        Select Case optionName
        Case "checkdigit": RegistryOptionCheck = FlagCheck(optionValue, 1)
        End Select
    Case 14
        Select Case optionName
        Case "level"
            Select Case NormalName(optionValue)
            Case "l": RegistryOptionCheck = 1
            Case "m": RegistryOptionCheck = 2
            Case "q": RegistryOptionCheck = 3
            Case "h": RegistryOptionCheck = 4
            Case Else: RegistryOptionCheck = -1
            End Select
        Case "gs1": RegistryOptionCheck = FlagCheck(optionValue, 8)
        Case "dl": RegistryOptionCheck = FlagCheck(optionValue, 16)
        Case "kanji": RegistryOptionCheck = FlagCheck(optionValue, 32)
        End Select
    Case 15
        Select Case optionName
        Case "shape"
            Select Case NormalName(optionValue)
            Case "square": RegistryOptionCheck = 0
            Case "rect": RegistryOptionCheck = 1
            Case Else: RegistryOptionCheck = -1
            End Select
        Case "gs1": RegistryOptionCheck = FlagCheck(optionValue, 2)
        Case "dl": RegistryOptionCheck = FlagCheck(optionValue, 4)
        End Select
    Case 21
        Select Case optionName
        Case "truncated": RegistryOptionCheck = FlagCheck(optionValue, 1)
        End Select
    Case 27
        Select Case optionName
        Case "segments": RegistryOptionCheck = NumberCheck(optionValue, 2, 20, 1)
        End Select
    Case 28
        Select Case optionName
        Case "level"
            Select Case NormalName(optionValue)
            Case "0": RegistryOptionCheck = 1
            Case "1": RegistryOptionCheck = 2
            Case "2": RegistryOptionCheck = 3
            Case "3": RegistryOptionCheck = 4
            Case "4": RegistryOptionCheck = 5
            Case "5": RegistryOptionCheck = 6
            Case "6": RegistryOptionCheck = 7
            Case "7": RegistryOptionCheck = 8
            Case "8": RegistryOptionCheck = 9
            Case Else: RegistryOptionCheck = -1
            End Select
        Case "columns": RegistryOptionCheck = NumberCheck(optionValue, 1, 30, 16)
        Case "truncated": RegistryOptionCheck = FlagCheck(optionValue, 512)
        End Select
    Case 29
        Select Case optionName
        Case "columns": RegistryOptionCheck = NumberCheck(optionValue, 0, 4, 1)
        End Select
    Case 30
        Select Case optionName
        Case "ecpercent": RegistryOptionCheck = NumberCheck(optionValue, 5, 95, 1)
        Case "size": RegistryOptionCheck = NumberCheck(optionValue, 1, 36, 128)
        End Select
    End Select
End Function
' ---- END TABLES ----

' ---------------------------------------------------------------------------
' Worksheet functions
' ---------------------------------------------------------------------------

' The text to set in the bar code font for Value, or #VALUE! when the value is
' refused (TavoBarcodeError tells why).  Symbology is a code (TAVO_EAN13 ...),
' or a name or alias as `tavo list` gives them, in any case and with or
' without "-", "_", "." and spaces: "ean13", "EAN-13", "qr", "datamatrix",
' "imb".  Check asks for the symbology's optional check character (True), or
' is the library's check argument as a number.  Options names the options:
' "level=H", "shape=rect; gs1" (a flag alone is on; separate them with ";" or
' ","): bindings/vba/README.md lists each symbology's.  Text goes through the
' symbology's text rule: UTF-8 for QR Code and Data Matrix, Windows-1252 for
' the others.  A blank cell, Null or "" gives "" (no bar code), so a
' filled-down column stays clean below its last value.
Public Function TavoBarcode(ByVal Symbology As Variant, ByVal Value As Variant, _
                            Optional ByVal Check As Variant = False, _
                            Optional ByVal Options As Variant = "") As Variant
    Dim fontText As String
    On Error GoTo Failed
    If IsBlank(Value) Then
        TavoBarcode = ""
    ElseIf TranslateNamed(Symbology, Value, Check, Options, fontText) = 0 Then
        TavoBarcode = fontText
    Else
        TavoBarcode = CVErr(XL_ERR_VALUE)
    End If
    Exit Function
Failed:
    TavoBarcode = CVErr(XL_ERR_VALUE)
End Function

' Why TavoBarcode refuses a value: the library's message, or this module's
' for an unknown name, option or value (with the valid ones), or "" when the
' value translates.  Also names a missing or mismatched tavo32.dll.
Public Function TavoBarcodeError(ByVal Symbology As Variant, ByVal Value As Variant, _
                                 Optional ByVal Check As Variant = False, _
                                 Optional ByVal Options As Variant = "") As String
    Dim fontText As String, rc As Long
    On Error GoTo Failed
    If IsBlank(Value) Then Exit Function
    rc = TranslateNamed(Symbology, Value, Check, Options, fontText)
    If rc <> 0 Then TavoBarcodeError = ErrorText(rc)
    Exit Function
Failed:
    TavoBarcodeError = "VBA error " & Err.Number & ": " & Err.Description
End Function

' The text to set in the TAVO IMB font for an Intelligent Mail barcode:
' Tracking is the 20-digit tracking code, Routing the ZIP code of the
' delivery point (none, 5, 9 or 11 digits; "-" and spaces allowed).  Keep
' both as text cells: a number cell holds only 15 significant digits, so a
' tracking code typed as a number is refused; a routing code typed as a
' number gets back the leading zeros its length implies (1234 is "01234").
' A blank Tracking gives "".  #VALUE! when refused;
' TavoBarcodeError("imb", Tracking & "-" & Routing) tells why.
Public Function TavoIMb(ByVal Tracking As Variant, Optional ByVal Routing As Variant = "") As Variant
    Dim value As String, zip As String
    On Error GoTo Failed
    If IsBlank(Tracking) Then
        TavoIMb = ""
        Exit Function
    End If
    If VarType(CellValue(Tracking)) <> vbString Then GoTo Failed
    value = CellText(Tracking)
    zip = CellText(Routing)
    If VarType(CellValue(Routing)) <> vbString And Len(zip) > 0 Then
        If Len(zip) <= 5 Then
            zip = Right$("0000" & zip, 5)
        ElseIf Len(zip) <= 9 Then
            zip = Right$("0000" & zip, 9)
        ElseIf Len(zip) = 10 Then
            zip = "0" & zip
        End If
    End If
    If Len(zip) > 0 Then value = value & "-" & zip
    TavoIMb = TavoBarcode(TAVO_IMB, value)
    Exit Function
Failed:
    TavoIMb = CVErr(XL_ERR_VALUE)
End Function

' The face name of the font that prints the symbology: Prefix ("TAVO ", the
' family of the installed fonts, unless given), then the family, then the
' height and caption suffix where the font has six faces.  BarHeight is 0,
' 1, 2 or "L", "M", "H"; Caption picks the variant with the human-readable
' caption.  #VALUE! when refused.  A symbology printed in another's font
' (code39ascii in the Code 39 faces) gets that font's name.
Public Function TavoFaceName(ByVal Symbology As Variant, Optional ByVal Prefix As Variant = "TAVO ", _
                             Optional ByVal BarHeight As Variant = 0, _
                             Optional ByVal Caption As Variant = False) As Variant
    Dim prefixBytes() As Byte, outBuf() As Byte, outLen As Long, rc As Long
    On Error GoTo Failed
    If Not TextToBytes(CellText(Prefix), prefixBytes) Then GoTo Failed
    ReDim outBuf(0 To UBound(prefixBytes) + 64)
    rc = BC_FontGetFaceName(prefixBytes(0), FontCode(SymbologyCode(Symbology)), HeightCode(BarHeight), _
                            IIf(CellFlag(Caption), 1, 0), outBuf(0), UBound(outBuf) + 1, outLen)
    If rc <> 0 Then GoTo Failed
    TavoFaceName = BytesToText(outBuf, outLen)
    Exit Function
Failed:
    TavoFaceName = CVErr(XL_ERR_VALUE)
End Function

' The QR Code of Value as several lines of text, for a cell with wrap text on
' set in the font "TAVO QR" (line spacing single, the default): every line
' stands on the one above with no gap.  Lines are broken with LF alone, as
' Excel breaks lines in a cell.  Level is the error correction level "L",
' "M", "Q" or "H" (or, as before, a number 0..4: 0 is M, 1..4 L, M, Q, H).
' Any text is carried, as UTF-8 marked for the scanner, so it reads back as
' typed (Zurich with its umlaut, Tokyo in kanji).  A blank cell gives "".
' #VALUE! when refused: too long, or an unknown level.
Public Function TavoQR(ByVal Value As Variant, Optional ByVal Level As Variant = "M") As Variant
    On Error GoTo Failed
    Level = CellValue(Level)
    If IsNull(Level) Then Level = 0
    If IsNumeric(Level) Then
        TavoQR = TwoDimensional(TAVO_QR, Value, CLng(Level), "")
    Else
        TavoQR = TwoDimensional(TAVO_QR, Value, 0, "level=" & CellText(Level))
    End If
    Exit Function
Failed:
    TavoQR = CVErr(XL_ERR_VALUE)
End Function

' The Data Matrix (ECC 200) of Value as several lines of text, for a cell
' with wrap text on set in the font "TAVO DM".  Shape is "square" (square
' symbols only) or "rect" (a rectangle when one is smaller); Gs1 True reads
' Value as GS1 element strings "(01)09501101530003(10)AB12", with FNC1.
' Text goes as UTF-8.  A blank cell gives "".  #VALUE! when refused.
Public Function TavoDataMatrix(ByVal Value As Variant, Optional ByVal Shape As Variant = "square", _
                               Optional ByVal Gs1 As Variant = False) As Variant
    Dim optionText As String
    On Error GoTo Failed
    If Len(CellText(Shape)) > 0 Then optionText = "shape=" & CellText(Shape) & ";"
    optionText = optionText & "gs1=" & IIf(CellFlag(Gs1), "on", "off")
    TavoDataMatrix = TwoDimensional(TAVO_DATAMATRIX, Value, 0, optionText)
    Exit Function
Failed:
    TavoDataMatrix = CVErr(XL_ERR_VALUE)
End Function

' ---------------------------------------------------------------------------
' Functions for code (Access, macros)
' ---------------------------------------------------------------------------

' The font string of Value, "" for Null, Empty or "" (an Access field with
' no value: Me!ItemCode).  Symbology, Check and Options as TavoBarcode takes
' them.  On a refused value raises the error vbObjectError + code with
' Err.Source "Tavo32" (Err.Number - vbObjectError gives the code: the
' library's 32500..32549, or 32511 for an unknown symbology, 32561 for an
' unknown option or value) and the message as Err.Description.  Other errors
' (a missing DLL: 53, 48) keep their numbers.
Public Function TavoTranslate(ByVal Symbology As Variant, ByVal Value As Variant, _
                              Optional ByVal Check As Variant = False, _
                              Optional ByVal Options As Variant = "") As String
    Dim fontText As String, rc As Long
    If IsBlank(Value) Then Exit Function
    rc = TranslateNamed(Symbology, Value, Check, Options, fontText)
    If rc <> 0 Then Err.Raise vbObjectError + rc, MODULE_NAME, ErrorText(rc)
    TavoTranslate = fontText
End Function

' Loads tavo32.dll by its full path, so that every function of this module
' binds to it: Folder\tavo32.dll, or the SDK's layout Folder\x64\tavo32.dll
' in 64-bit Office and Folder\x86\tavo32.dll in 32-bit Office.  Call it once
' before the first bar code, for example in ThisWorkbook:
'     Private Sub Workbook_Open()
'         TavoLoadLibrary ThisWorkbook.Path
'     End Sub
' Returns True when loaded; raises error 53 (file not found) when neither
' file exists and error 48 when Windows refuses the DLL (the message says
' when it is the DLL of the other bitness).
Public Function TavoLoadLibrary(ByVal Folder As Variant) As Boolean
    Dim path As String, candidates As Variant, i As Long, lastError As Long
    Folder = CellText(Folder)
    If Len(Folder) > 0 And Right$(Folder, 1) <> "\" Then Folder = Folder & "\"
#If Win64 Then
    candidates = Array(Folder & "x64\tavo32.dll", Folder & "tavo32.dll")
#Else
    candidates = Array(Folder & "x86\tavo32.dll", Folder & "tavo32.dll")
#End If
    If LCase$(Left$(Folder, 4)) = "http" Then
        Err.Raise 53, MODULE_NAME, "tavo32.dll cannot be loaded from a web address (" & Folder & _
                  "): a workbook synced by OneDrive gives one as its Path; name the local folder"
    End If
    For i = LBound(candidates) To UBound(candidates)
        If FileExists(candidates(i)) Then
            path = candidates(i)
            Exit For
        End If
    Next i
    If Len(path) = 0 Then
        Err.Raise 53, MODULE_NAME, "File not found: tavo32.dll in " & Folder & " (or its " & _
                  IIf(Bitness() = 64, "x64", "x86") & " folder)"
    End If
    If LoadLibraryW(StrPtr(path)) = 0 Then
        lastError = Err.LastDllError
        If lastError = ERROR_BAD_EXE_FORMAT Then
            Err.Raise 48, MODULE_NAME, path & " is not the DLL for " & Bitness() & _
                      "-bit Office: use the " & IIf(Bitness() = 64, "x64", "x86") & " tavo32.dll"
        End If
        Err.Raise 48, MODULE_NAME, "Error in loading DLL " & path & " (Windows error " & lastError & ")"
    End If
    TavoLoadLibrary = True
End Function

' The English message of an error code.
Public Function TavoErrorMessage(ByVal ErrorCode As Long) As String
    Dim outBuf(0 To 255) As Byte, n As Long
    BC_StrErr ErrorCode, outBuf(0), 256   ' the buffer starts zeroed: the text ends at a 0
    n = 0
    Do While n < 256
        If outBuf(n) = 0 Then Exit Do
        n = n + 1
    Loop
    TavoErrorMessage = BytesToText(outBuf, n)
End Function

' For input forms: the text to show for a character typed into a value (the
' character, or a label such as "<FNC1>", followed by " Alt 0185" when
' WithAlt), or "" when the character may not stand in a value of the
' symbology.  Character is a one-character String, or a byte code 0..255
' given as a number in code (KeyAscii).  A cell (or an Access control) is
' read as the text it holds: a cell holding the number 5 is the character
' "5".  Code 0 (code39ascii) is checked as code 1, in whose faces it prints.
Public Function TavoCharCheck(ByVal Symbology As Variant, ByVal Character As Variant, _
                              Optional ByVal WithAlt As Variant = False) As String
    Dim charByte As Long, bytes() As Byte, outBuf(0 To 63) As Byte, outLen As Long
    If IsObject(Character) Then Character = CellText(Character) Else Character = CellValue(Character)
    If IsEmpty(Character) Or IsNull(Character) Then Exit Function
    If VarType(Character) = vbString Then
        If Len(Character) <> 1 Then Exit Function
        If Not TextToBytes(CStr(Character), bytes) Then Exit Function
        charByte = bytes(0)
    ElseIf IsNumeric(Character) Then
        If Character <> Fix(Character) Then Exit Function
        charByte = CLng(Character)
    Else
        Exit Function
    End If
    If charByte < 0 Or charByte > 255 Then Exit Function
    If BC_CharCheck(RegistryCheckCode(SymbologyCode(Symbology)), charByte, IIf(CellFlag(WithAlt), 1, 0), _
                    outBuf(0), 64, outLen) = 1 Then
        TavoCharCheck = BytesToText(outBuf, outLen)
    End If
End Function

' The text to print under a GS1-128 symbol in an ordinary font, e.g.
' "(01)09501101530003(10)AB12" (the \( \) escapes of Value removed), or
' #VALUE! when Value is refused (TavoBarcodeError("gs1-128", ...) tells why).
Public Function TavoGs1Text(ByVal Value As Variant) As Variant
    Dim valueBytes() As Byte, outBuf() As Byte, outLen As Long
    On Error GoTo Failed
    If Not TextToBytes(CellText(Value), valueBytes) Then GoTo Failed
    ReDim outBuf(0 To UBound(valueBytes) + 16)
    If BC_GS1HumanReadable(valueBytes(0), outBuf(0), UBound(outBuf) + 1, outLen) <> 0 Then GoTo Failed
    TavoGs1Text = BytesToText(outBuf, outLen)
    Exit Function
Failed:
    TavoGs1Text = CVErr(XL_ERR_VALUE)
End Function

' The GS1 check digit (0..9) of a key of 7 to 17 digits (GTIN, GLN, SSCC).
' With Verify, Key includes its check digit: the result is that digit when it
' is right, #VALUE! when it is wrong or the key is refused.
Public Function TavoGs1CheckDigit(ByVal Key As Variant, _
                                  Optional ByVal Verify As Variant = False) As Variant
    Dim keyBytes() As Byte, digit As Long
    On Error GoTo Failed
    If Not TextToBytes(CellText(Key), keyBytes) Then GoTo Failed
    If BC_GS1CheckDigit(keyBytes(0), IIf(CellFlag(Verify), 1, 0), digit) <> 0 Then GoTo Failed
    TavoGs1CheckDigit = digit
    Exit Function
Failed:
    TavoGs1CheckDigit = CVErr(XL_ERR_VALUE)
End Function

' The GS1 Digital Link URI of GS1 element strings "(01)09501101530003...",
' on Domain ("https://example.com"), or on GS1's resolver when Domain is
' omitted.  Needs a tavo32.dll with BC_GS1DigitalLink (ordinal 17): an older
' one raises error 453 saying so.  #VALUE! when the value is refused.
Public Function TavoGs1DigitalLink(ByVal Value As Variant, Optional ByVal Domain As Variant) As Variant
    Dim valueBytes() As Byte, domainBytes() As Byte, outBuf() As Byte, outLen As Long, rc As Long
    On Error GoTo Failed
    If Not TextToBytes(CellText(Value), valueBytes) Then GoTo Failed
    If IsMissing(Domain) Then
        ReDim outBuf(0 To 3 * UBound(valueBytes) + 64)
        rc = BC_GS1DigitalLink(valueBytes(0), 0, outBuf(0), UBound(outBuf) + 1, outLen)
    Else
        If Not TextToBytes(CellText(Domain), domainBytes) Then GoTo Failed
        ReDim outBuf(0 To 3 * UBound(valueBytes) + UBound(domainBytes) + 64)
        rc = BC_GS1DigitalLink(valueBytes(0), VarPtr(domainBytes(0)), outBuf(0), UBound(outBuf) + 1, outLen)
    End If
    If rc <> 0 Then GoTo Failed
    TavoGs1DigitalLink = BytesToText(outBuf, outLen)
    Exit Function
Failed:
    If Err.Number = ERR_ENTRY_NOT_FOUND Then NoDigitalLink "BC_GS1DigitalLink", 17
    TavoGs1DigitalLink = CVErr(XL_ERR_VALUE)
End Function

' The GS1 element strings "(01)..." of a GS1 Digital Link URI.  Needs a
' tavo32.dll with BC_GS1FromDigitalLink (ordinal 18): an older one raises
' error 453 saying so.  #VALUE! when the URI is refused.
Public Function TavoGs1FromDigitalLink(ByVal Uri As Variant) As Variant
    Dim uriBytes() As Byte, outBuf() As Byte, outLen As Long
    On Error GoTo Failed
    If Not TextToBytes(CellText(Uri), uriBytes) Then GoTo Failed
    ReDim outBuf(0 To UBound(uriBytes) + 64)
    If BC_GS1FromDigitalLink(uriBytes(0), outBuf(0), UBound(outBuf) + 1, outLen) <> 0 Then GoTo Failed
    TavoGs1FromDigitalLink = BytesToText(outBuf, outLen)
    Exit Function
Failed:
    If Err.Number = ERR_ENTRY_NOT_FOUND Then NoDigitalLink "BC_GS1FromDigitalLink", 18
    TavoGs1FromDigitalLink = CVErr(XL_ERR_VALUE)
End Function

' "3.1.8": the file version of tavo32.dll as installed in the system
' directory ("0.0.0" when it is not installed there).
Public Function TavoVersion() As String
    TavoVersion = TAVO_VersionMajor() & "." & TAVO_VersionMinor() & "." & TAVO_VersionRevision()
End Function

' The translation version, 9611080.
Public Function TavoTranslationVersion() As Long
    TavoTranslationVersion = BC_FontGetVer()
End Function

' ---------------------------------------------------------------------------
' Helpers
' ---------------------------------------------------------------------------

' Translates Value as Symbology with Check and Options (TavoBarcode): 0 with
' fontText set, or an error code (this module's own message, for an unknown
' name, option or value, in surfaceMessage).
Private Function TranslateNamed(ByVal Symbology As Variant, ByVal Value As Variant, ByVal Check As Variant, _
                                ByVal Options As Variant, ByRef fontText As String) As Long
    Dim sym As Long, checkArg As Long, rc As Long
    surfaceMessage = ""
    rc = ResolveSymbology(Symbology, sym)
    If rc = 0 Then rc = ResolveCheck(sym, Check, CellText(Options), checkArg)
    If rc = 0 Then rc = TranslateText(sym, CellText(Value), checkArg, fontText)
    TranslateNamed = rc
End Function

' TavoQR and TavoDataMatrix: the font string with LF between its lines.
Private Function TwoDimensional(ByVal sym As Long, ByVal Value As Variant, ByVal checkBase As Long, _
                                ByVal optionText As String) As Variant
    Dim fontText As String
    If IsBlank(Value) Then
        TwoDimensional = ""
    ElseIf TranslateNamed(sym, Value, checkBase, optionText, fontText) = 0 Then
        TwoDimensional = Replace(fontText, vbCrLf, vbLf)
    Else
        TwoDimensional = CVErr(XL_ERR_VALUE)
    End If
End Function

' The message of an error code: this module's own for the errors it found,
' else the library's.
Private Function ErrorText(ByVal rc As Long) As String
    If Len(surfaceMessage) > 0 Then ErrorText = surfaceMessage Else ErrorText = TavoErrorMessage(rc)
End Function

' The code of a symbology given as a number or a name: 0 with sym set, or
' 32511 for a name the registry does not know (a number goes to the library,
' which refuses an unknown one with the same code).
Private Function ResolveSymbology(ByVal Symbology As Variant, ByRef sym As Long) As Long
    Symbology = CellValue(Symbology)
    If IsEmpty(Symbology) Or IsNull(Symbology) Then
        sym = -1
    ElseIf IsNumeric(Symbology) Then
        sym = CLng(Symbology)
    Else
        sym = RegistryCode(NormalName(CStr(Symbology)))
        If sym < 0 Then
            surfaceMessage = "unknown symbology '" & Symbology & "'" & _
                             DidYouMean(CStr(Symbology), RegistryNames()) & "; the names: " & RegistryNames()
            ResolveSymbology = ERR_UNKNOWN_SYMBOLOGY
        End If
    End If
End Function

' The check argument of sym: Check (True is the option check_digit, a number
' passes as it is) plus the contribution of each option in optionText
' ("level=H; gs1").  0 with checkArg set, or 32561 naming the valid options.
Private Function ResolveCheck(ByVal sym As Long, ByVal Check As Variant, ByVal optionText As String, _
                              ByRef checkArg As Long) As Long
    Dim total As Double, items() As String, i As Long, item As String, eq As Long, add As Long
    Dim optionName As String, optionValue As String, seen As String
    Check = CellValue(Check)
    If VarType(Check) = vbString And Not IsNumeric(Check) Then
        Select Case FlagCheck(CStr(Check), 1)
        Case 1: Check = True
        Case 0: Check = False
        Case Else
            ResolveCheck = BadOption(sym, "check takes True, False or a number, not '" & Check & "'")
            Exit Function
        End Select
    End If
    If VarType(Check) = vbBoolean Then
        If Check Then optionText = "check_digit;" & optionText
    ElseIf IsNumeric(Check) Then
        total = CDbl(Check)
    ElseIf Not (IsEmpty(Check) Or IsNull(Check)) Then
        ResolveCheck = BadOption(sym, "check takes True, False or a number")
        Exit Function
    End If
    items = Split(Replace(optionText, ",", ";"), ";")
    For i = 0 To UBound(items)
        item = Trim$(items(i))
        eq = InStr(item, "=")
        If eq = 0 Then
            optionName = NormalName(item): optionValue = "on"
        Else
            optionName = NormalName(Left$(item, eq - 1)): optionValue = Trim$(Mid$(item, eq + 1))
        End If
        If Len(item) > 0 Then
            If InStr(seen, " " & optionName & " ") > 0 Then
                ResolveCheck = BadOption(sym, "option " & optionName & " is given twice")
                Exit Function
            End If
            seen = seen & " " & optionName & " "
            add = RegistryOptionCheck(sym, optionName, optionValue)
            If add < 0 Then
                ResolveCheck = UnknownOption(sym, item, optionName, optionValue, add)
                Exit Function
            End If
            total = total + add
        End If
    Next i
    If total < -2147483648# Or total > 2147483647# Then
        ResolveCheck = BadOption(sym, "check " & total & " does not fit in 32 bits")
        Exit Function
    End If
    checkArg = CLng(total)
End Function

' 32561 with the message for an option sym lacks (how = -2) or a value the
' option does not take (how = -1).
Private Function UnknownOption(ByVal sym As Long, ByVal item As String, ByVal optionName As String, _
                               ByVal optionValue As String, ByVal how As Long) As Long
    Dim fontOf As Long, textRule As Long, optionList As String, rowName As String, names As String
    Dim i As Long, words() As String
    RegistryRow sym, fontOf, textRule, optionList, rowName
    If how = -1 Then
        UnknownOption = BadOption(sym, "option " & optionName & " does not take '" & optionValue & "'")
    ElseIf optionName = "checkdigit" Then
        UnknownOption = BadOption(sym, rowName & " has no optional check character")
    Else
        words = Split(optionList, " ")
        For i = 0 To UBound(words)
            names = Trim$(names & " " & OptionNameOf(words(i)))
        Next i
        UnknownOption = BadOption(sym, rowName & " has no option '" & item & "'" & DidYouMean(optionName, names))
    End If
End Function

' The option's name alone, from "level=L|M|Q|H".
Private Function OptionNameOf(ByVal word As String) As String
    If InStr(word, "=") > 0 Then OptionNameOf = Left$(word, InStr(word, "=") - 1) Else OptionNameOf = word
End Function

' 32561 with message, followed by the options sym has.
Private Function BadOption(ByVal sym As Long, ByVal message As String) As Long
    Dim fontOf As Long, textRule As Long, optionList As String, rowName As String
    If Not RegistryRow(sym, fontOf, textRule, optionList, rowName) Then
        surfaceMessage = message & "; symbology " & sym & " is unknown"
    ElseIf Len(optionList) = 0 Then
        surfaceMessage = message & "; " & rowName & " has no options"
    Else
        surfaceMessage = message & "; the options of " & rowName & ": " & optionList
    End If
    BadOption = ERR_BAD_OPTION
End Function

' A flag's contribution: check for 1, true, yes, on; 0 for 0, false, no, off;
' -1 for anything else.
Private Function FlagCheck(ByVal optionValue As String, ByVal check As Long) As Long
    Select Case NormalName(optionValue)
    Case "1", "true", "yes", "on": FlagCheck = check
    Case "0", "false", "no", "off": FlagCheck = 0
    Case Else: FlagCheck = -1
    End Select
End Function

' A number option's contribution: the whole number times check, -1 outside
' minimum..maximum or for anything but digits.
Private Function NumberCheck(ByVal optionValue As String, ByVal minimum As Long, ByVal maximum As Long, _
                             ByVal check As Long) As Long
    NumberCheck = -1
    If Len(optionValue) = 0 Or Len(optionValue) > 9 Or optionValue Like "*[!0-9]*" Then Exit Function
    If CLng(optionValue) < minimum Or CLng(optionValue) > maximum Then Exit Function
    NumberCheck = CLng(optionValue) * check
End Function

' The compared form of a name: lower case, without "-", "_", "." and spaces.
Private Function NormalName(ByVal text As String) As String
    NormalName = LCase$(Replace(Replace(Replace(Replace(Trim$(text), "-", ""), "_", ""), ".", ""), " ", ""))
End Function

' " (did you mean a, b?)" with up to three of the space-separated candidates
' near typed (within a third of the length, or starting with it), or "".
Private Function DidYouMean(ByVal typed As String, ByVal candidates As String) As String
    Dim words() As String, i As Long, d As Long, n As String, found As String, count As Long
    typed = NormalName(typed)
    words = Split(candidates, " ")
    For d = 0 To 10
        For i = 0 To UBound(words)
            n = NormalName(words(i))
            If count < 3 And Len(n) > 0 And InStr("|" & found & "|", "|" & words(i) & "|") = 0 Then
                If NearAt(typed, n, d) Then
                    If count > 0 Then found = found & "|"
                    found = found & words(i)
                    count = count + 1
                End If
            End If
        Next i
    Next d
    If count > 0 Then DidYouMean = " (did you mean " & Replace(found, "|", ", ") & "?)"
End Function

' True when n is at distance d from typed and near enough to suggest: a
' prefix of it counts as distance 0, else a third of the longer length.
Private Function NearAt(ByVal typed As String, ByVal n As String, ByVal d As Long) As Boolean
    Dim limit As Long
    If d = 0 And Len(typed) >= 2 And Len(n) > Len(typed) And Left$(n, Len(typed)) = typed Then
        NearAt = True
        Exit Function
    End If
    limit = Len(typed)
    If Len(n) > limit Then limit = Len(n)
    limit = limit \ 3
    If limit < 1 Then limit = 1
    If d <= limit Then NearAt = (EditDistance(typed, n) = d)
End Function

' Levenshtein distance of two strings.
Private Function EditDistance(ByVal a As String, ByVal b As String) As Long
    Dim row() As Long, i As Long, j As Long, diagonal As Long, up As Long, best As Long
    ReDim row(0 To Len(b))
    For j = 0 To Len(b): row(j) = j: Next j
    For i = 1 To Len(a)
        diagonal = row(0): row(0) = i
        For j = 1 To Len(b)
            up = row(j)
            best = row(j) + 1
            If row(j - 1) + 1 < best Then best = row(j - 1) + 1
            If diagonal + IIf(Mid$(a, i, 1) = Mid$(b, j, 1), 0, 1) < best Then
                best = diagonal + IIf(Mid$(a, i, 1) = Mid$(b, j, 1), 0, 1)
            End If
            row(j) = best
            diagonal = up
        Next j
    Next i
    EditDistance = row(Len(b))
End Function

' Error 453 with what is missing, for the Digital Link pair.
Private Sub NoDigitalLink(ByVal entryName As String, ByVal ordinal As Long)
    Err.Raise ERR_ENTRY_NOT_FOUND, MODULE_NAME, "this tavo32.dll (" & TavoVersion() & ") has no Digital Link: " & _
              entryName & " needs a tavo32.dll that exports it (ordinal " & ordinal & ", versions after 3.1.8)"
End Sub

' Runs BC_FontTranslate on valueText, converted by the symbology's text rule
' (UTF-8 for the 2D codes, Windows-1252 for the others): returns 0 with
' fontText set, or the error code (fontText untouched).
Private Function TranslateText(ByVal sym As Long, ByVal valueText As String, _
                               ByVal checkArg As Long, ByRef fontText As String) As Long
    Dim valueBytes() As Byte, fontOf As Long, textRule As Long, optionList As String, rowName As String
    Dim converted As Boolean
    RegistryRow sym, fontOf, textRule, optionList, rowName
    If textRule > 0 Then converted = Utf8Bytes(valueText, valueBytes) Else converted = TextToBytes(valueText, valueBytes)
    If Not converted Then
        TranslateText = ERR_ILLEGAL_CHARACTER
        Exit Function
    End If
    TranslateText = TranslateBytes(sym, valueBytes, checkArg, fontText)
End Function

' Runs BC_FontTranslate on NUL-terminated value bytes with the check argument
' as a number: returns 0 with fontText set, or the error code.
Private Function TranslateBytes(ByVal sym As Long, ByRef valueBytes() As Byte, _
                                ByVal checkArg As Long, ByRef fontText As String) As Long
    Dim outBuf() As Byte, outCap As Long, outLen As Long, n As Long
    Dim rc As Long, attempt As Long
    n = UBound(valueBytes)   ' the value's length: the last byte is its terminating 0
    ' No symbology writes more than about two bytes per value byte but PDF417
    ' (up to about 9,200 bytes, however short the value); a second, much
    ' larger buffer covers any that might.
    For attempt = 1 To 2
        If attempt = 1 Then outCap = 2 * n + 64 Else outCap = 8 * n + 16384
        ReDim outBuf(0 To outCap - 1)
        rc = BC_FontTranslate(sym, valueBytes(0), checkArg, outBuf(0), outCap, outLen)
        If rc <> ERR_TOO_MANY_CHARACTERS Then Exit For
    Next attempt
    If rc = 0 Then fontText = BytesToText(outBuf, outLen)
    TranslateBytes = rc
End Function

' UTF-8 bytes of valueText followed by a terminating 0.  False for a NUL or
' a lone surrogate.
Private Function Utf8Bytes(ByVal valueText As String, ByRef bytes() As Byte) As Boolean
    Dim i As Long, n As Long, u As Long, low As Long
    ReDim bytes(0 To 4 * Len(valueText))
    i = 1
    Do While i <= Len(valueText)
        u = AscW(Mid$(valueText, i, 1)) And &HFFFF&
        If u >= &HD800& And u <= &HDBFF& And i < Len(valueText) Then
            low = AscW(Mid$(valueText, i + 1, 1)) And &HFFFF&
            If low >= &HDC00& And low <= &HDFFF& Then
                u = &H10000 + (u - &HD800&) * &H400& + (low - &HDC00&)
                i = i + 1
            End If
        End If
        If u = 0 Or (u >= &HD800& And u <= &HDFFF&) Then Exit Function
        If u < &H80& Then
            bytes(n) = u: n = n + 1
        ElseIf u < &H800& Then
            bytes(n) = &HC0& Or (u \ &H40&): bytes(n + 1) = &H80& Or (u And &H3F&): n = n + 2
        ElseIf u < &H10000 Then
            bytes(n) = &HE0& Or (u \ &H1000&)
            bytes(n + 1) = &H80& Or ((u \ &H40&) And &H3F&)
            bytes(n + 2) = &H80& Or (u And &H3F&)
            n = n + 3
        Else
            bytes(n) = &HF0& Or (u \ &H40000)
            bytes(n + 1) = &H80& Or ((u \ &H1000&) And &H3F&)
            bytes(n + 2) = &H80& Or ((u \ &H40&) And &H3F&)
            bytes(n + 3) = &H80& Or (u And &H3F&)
            n = n + 4
        End If
        i = i + 1
    Loop
    ReDim Preserve bytes(0 To n)
    bytes(n) = 0
    Utf8Bytes = True
End Function

' Windows-1252 bytes of valueText followed by a terminating 0.  False when a
' character has no Windows-1252 byte, or is a NUL (which would end the value
' early on the library's side).
Private Function TextToBytes(ByVal valueText As String, ByRef bytes() As Byte) As Boolean
    Dim i As Long, b As Long
    ReDim bytes(0 To Len(valueText))
    For i = 1 To Len(valueText)
        b = Cp1252Byte(AscW(Mid$(valueText, i, 1)) And &HFFFF&)
        If b <= 0 Then Exit Function
        bytes(i - 1) = b
    Next i
    bytes(Len(valueText)) = 0
    TextToBytes = True
End Function

' The first byteCount bytes as text, each byte a Windows-1252 character.
Private Function BytesToText(ByRef bytes() As Byte, ByVal byteCount As Long) As String
    Dim i As Long, s As String
    s = String$(byteCount, " ")
    For i = 0 To byteCount - 1
        Mid$(s, i + 1, 1) = ChrW$(Cp1252Char(bytes(LBound(bytes) + i)))
    Next i
    BytesToText = s
End Function

' Unicode code point of a Windows-1252 byte.  Bytes &H80..&H9F are the table
' below; every other byte is the code point of the same number.  The five
' bytes the code page leaves unassigned map to themselves, as Windows
' converts them.
Private Function Cp1252Char(ByVal b As Long) As Long
    Select Case b
        Case &H80&: Cp1252Char = &H20AC&
        Case &H81&: Cp1252Char = &H81&   ' unassigned
        Case &H82&: Cp1252Char = &H201A&
        Case &H83&: Cp1252Char = &H192&
        Case &H84&: Cp1252Char = &H201E&
        Case &H85&: Cp1252Char = &H2026&
        Case &H86&: Cp1252Char = &H2020&
        Case &H87&: Cp1252Char = &H2021&
        Case &H88&: Cp1252Char = &H2C6&
        Case &H89&: Cp1252Char = &H2030&
        Case &H8A&: Cp1252Char = &H160&
        Case &H8B&: Cp1252Char = &H2039&
        Case &H8C&: Cp1252Char = &H152&
        Case &H8D&: Cp1252Char = &H8D&   ' unassigned
        Case &H8E&: Cp1252Char = &H17D&
        Case &H8F&: Cp1252Char = &H8F&   ' unassigned
        Case &H90&: Cp1252Char = &H90&   ' unassigned
        Case &H91&: Cp1252Char = &H2018&
        Case &H92&: Cp1252Char = &H2019&
        Case &H93&: Cp1252Char = &H201C&
        Case &H94&: Cp1252Char = &H201D&
        Case &H95&: Cp1252Char = &H2022&
        Case &H96&: Cp1252Char = &H2013&
        Case &H97&: Cp1252Char = &H2014&
        Case &H98&: Cp1252Char = &H2DC&
        Case &H99&: Cp1252Char = &H2122&
        Case &H9A&: Cp1252Char = &H161&
        Case &H9B&: Cp1252Char = &H203A&
        Case &H9C&: Cp1252Char = &H153&
        Case &H9D&: Cp1252Char = &H9D&   ' unassigned
        Case &H9E&: Cp1252Char = &H17E&
        Case &H9F&: Cp1252Char = &H178&
        Case Else: Cp1252Char = b
    End Select
End Function

' Windows-1252 byte of a Unicode code point, -1 when there is none.
Private Function Cp1252Byte(ByVal point As Long) As Long
    Dim b As Long
    If point < &H80& Or (point >= &HA0& And point <= &HFF&) Then
        Cp1252Byte = point
        Exit Function
    End If
    For b = &H80& To &H9F&
        If Cp1252Char(b) = point Then
            Cp1252Byte = b
            Exit Function
        End If
    Next b
    Cp1252Byte = -1
End Function

' The symbology code of a number or a name (any alias, in any case); -1,
' which the library refuses as an unknown symbology, for anything else.
Private Function SymbologyCode(ByVal Symbology As Variant) As Long
    Dim sym As Long
    If ResolveSymbology(Symbology, sym) <> 0 Then sym = -1
    SymbologyCode = sym
End Function

' Bar height 0, 1, 2 from a number or a letter L, M, H; -1 for anything else.
Private Function HeightCode(ByVal BarHeight As Variant) As Long
    BarHeight = CellValue(BarHeight)
    If VarType(BarHeight) = vbString Then
        If IsNumeric(BarHeight) Then
            HeightCode = CLng(BarHeight)
        ElseIf Len(Trim$(BarHeight)) = 1 Then
            HeightCode = InStr(1, "LMH", Trim$(BarHeight), vbTextCompare) - 1
        Else
            HeightCode = -1
        End If
    Else
        HeightCode = CLng(BarHeight)
    End If
End Function

' A worksheet argument's value: a cell reference (a Range) gives its value.
Private Function CellValue(ByVal v As Variant) As Variant
    If IsObject(v) Then CellValue = v.Value Else CellValue = v
End Function

' A cell's value as the text of a bar code value.  Whole numbers are written
' out in full, without an exponent or separators; a number has no leading
' zeros, so format cells that hold such values as Text.  Other numbers are
' written the same on every system, with a point before the decimals (Str$,
' not CStr, which writes a comma where Windows is set to one).  A date is
' written as its date text: format such cells as Text for a fixed form.
Private Function CellText(ByVal v As Variant) As String
    v = CellValue(v)
    Select Case VarType(v)
        Case vbDouble, vbSingle, vbCurrency, vbDecimal, vbLong, vbInteger, vbByte
            If v = Fix(v) And Abs(v) < 1E+28 Then
                CellText = Format$(v, "0")
            Else
                CellText = Trim$(Str$(v))
            End If
        Case vbEmpty, vbNull
            CellText = ""
        Case Else
            CellText = CStr(v)
    End Select
End Function

' True when the file exists; False also for a name Windows cannot look up.
Private Function FileExists(ByVal path As String) As Boolean
    On Error Resume Next
    FileExists = Len(Dir$(path, vbNormal Or vbReadOnly Or vbHidden Or vbSystem)) > 0
End Function

' True for a value with no text: an empty cell, Null, Empty or "".
Private Function IsBlank(ByVal v As Variant) As Boolean
    v = CellValue(v)
    If IsEmpty(v) Or IsNull(v) Then
        IsBlank = True
    ElseIf VarType(v) = vbString Then
        IsBlank = Len(v) = 0
    End If
End Function

' The code whose font prints a symbology (the registry's font): code 0
' (Code 39 Full ASCII) prints in the Code 39 faces of code 1.
Private Function FontCode(ByVal sym As Long) As Long
    Dim fontOf As Long, textRule As Long, optionList As String, rowName As String
    If RegistryRow(sym, fontOf, textRule, optionList, rowName) Then FontCode = fontOf Else FontCode = sym
End Function

' 64 in 64-bit Office, 32 in 32-bit Office.
Private Function Bitness() As Long
#If Win64 Then
    Bitness = 64
#Else
    Bitness = 32
#End If
End Function

' A cell's value as a yes/no option; an empty cell is no.
Private Function CellFlag(ByVal v As Variant) As Boolean
    v = CellValue(v)
    If IsEmpty(v) Or IsNull(v) Then Exit Function
    CellFlag = CBool(v)
End Function
