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
' (error 453).
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
Private Declare Function LoadLibraryW Lib "kernel32" Alias "LoadLibraryW" ( _
    ByVal fileName As Long) As Long
#End If

Private Const ERR_ILLEGAL_CHARACTER As Long = 32505
Private Const ERR_TOO_MANY_CHARACTERS As Long = 32510
Private Const SYMBOLOGY_QR As Long = 14
Private Const XL_ERR_VALUE As Long = 2015   ' CVErr(XL_ERR_VALUE) shows as #VALUE!
Private Const ERROR_BAD_EXE_FORMAT As Long = 193
Private Const MODULE_NAME As String = "Tavo32"   ' Err.Source of the errors this module raises

' ---------------------------------------------------------------------------
' Worksheet functions
' ---------------------------------------------------------------------------

' The text to set in the bar code font for Value, or #VALUE! when the value is
' refused (TavoBarcodeError tells why).  Symbology is a code or a name:
' code39ascii code39 i2of5 codabar msi code93 upca upce postnet ean8 ean13
' code128 (0..11), gs1-128 (12), 13 imb (Intelligent Mail, see TavoIMb), gtin13 gtin8
' gtin12 upce8 (16..19), itf14 (20).  Check asks for the symbology's optional check character(s).  A
' blank cell, Null or "" gives "" (no bar code), so a filled-down column
' stays clean below its last value.
Public Function TavoBarcode(ByVal Symbology As Variant, ByVal Value As Variant, _
                            Optional ByVal Check As Variant = False) As Variant
    Dim fontText As String
    On Error GoTo Failed
    If IsBlank(Value) Then
        TavoBarcode = ""
    ElseIf TranslateText(SymbologyCode(Symbology), CellText(Value), CellFlag(Check), fontText) = 0 Then
        TavoBarcode = fontText
    Else
        TavoBarcode = CVErr(XL_ERR_VALUE)
    End If
    Exit Function
Failed:
    TavoBarcode = CVErr(XL_ERR_VALUE)
End Function

' Why TavoBarcode refuses a value: the library's message, or "" when the value
' translates.  Also names a missing or mismatched tavo32.dll.
Public Function TavoBarcodeError(ByVal Symbology As Variant, ByVal Value As Variant, _
                                 Optional ByVal Check As Variant = False) As String
    Dim fontText As String, rc As Long
    On Error GoTo Failed
    If IsBlank(Value) Then Exit Function
    rc = TranslateText(SymbologyCode(Symbology), CellText(Value), CellFlag(Check), fontText)
    If rc <> 0 Then TavoBarcodeError = TavoErrorMessage(rc)
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
    TavoIMb = TavoBarcode(13, value)
    Exit Function
Failed:
    TavoIMb = CVErr(XL_ERR_VALUE)
End Function

' The face name of the bar code font: Prefix followed by the symbology's
' suffix.  BarHeight is 0, 1, 2 or "L", "M", "H"; Caption picks the variant
' with the human-readable caption.  #VALUE! when refused.  Code 0
' (code39ascii) prints in the Code 39 faces and gets their name.
Public Function TavoFaceName(ByVal Symbology As Variant, Optional ByVal Prefix As Variant = "", _
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
' Excel breaks lines in a cell.  Level is the error correction level: 0 or
' omitted for M, 1..4 or "L", "M", "Q", "H".  Any text is carried, as UTF-8
' marked for the scanner, so it reads back as typed (Zurich with its umlaut,
' Tokyo in kanji).  A blank cell gives "".  #VALUE! when refused: too long,
' or an unknown level.
Public Function TavoQR(ByVal Value As Variant, Optional ByVal Level As Variant = 0) As Variant
    Dim valueBytes() As Byte, fontText As String, rc As Long
    On Error GoTo Failed
    If IsBlank(Value) Then
        TavoQR = ""
        Exit Function
    End If
    If Not Utf8Bytes(CellText(Value), valueBytes) Then GoTo Failed
    rc = TranslateBytes(SYMBOLOGY_QR, valueBytes, QrLevel(Level), fontText)
    If rc <> 0 Then GoTo Failed
    TavoQR = Replace(fontText, vbCrLf, vbLf)
    Exit Function
Failed:
    TavoQR = CVErr(XL_ERR_VALUE)
End Function

' ---------------------------------------------------------------------------
' Functions for code (Access, macros)
' ---------------------------------------------------------------------------

' The font string of Value, "" for Null, Empty or "" (an Access field with
' no value: Me!ItemCode).  On a refused value raises the error
' vbObjectError + code with Err.Source "Tavo32" (Err.Number - vbObjectError
' gives the library's code, 32500..32549) and the library's message as
' Err.Description.  Other errors (a missing DLL: 53, 48) keep their numbers.
Public Function TavoTranslate(ByVal Symbology As Variant, ByVal Value As Variant, _
                              Optional ByVal Check As Variant = False) As String
    Dim fontText As String, rc As Long
    If IsBlank(Value) Then Exit Function
    rc = TranslateText(SymbologyCode(Symbology), CellText(Value), CellFlag(Check), fontText)
    If rc <> 0 Then Err.Raise vbObjectError + rc, MODULE_NAME, TavoErrorMessage(rc)
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
    If BC_CharCheck(FontCode(SymbologyCode(Symbology)), charByte, IIf(CellFlag(WithAlt), 1, 0), _
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

' Runs BC_FontTranslate on valueText: returns 0 with fontText set, or the
' error code (fontText untouched).
Private Function TranslateText(ByVal sym As Long, ByVal valueText As String, _
                               ByVal Check As Boolean, ByRef fontText As String) As Long
    Dim valueBytes() As Byte
    If Not TextToBytes(valueText, valueBytes) Then
        TranslateText = ERR_ILLEGAL_CHARACTER
        Exit Function
    End If
    TranslateText = TranslateBytes(sym, valueBytes, IIf(Check, 1, 0), fontText)
End Function

' Runs BC_FontTranslate on NUL-terminated value bytes with the check argument
' as a number: returns 0 with fontText set, or the error code.
Private Function TranslateBytes(ByVal sym As Long, ByRef valueBytes() As Byte, _
                                ByVal checkArg As Long, ByRef fontText As String) As Long
    Dim outBuf() As Byte, outCap As Long, outLen As Long, n As Long
    Dim rc As Long, attempt As Long
    n = UBound(valueBytes)   ' the value's length: the last byte is its terminating 0
    ' No symbology writes more than about two bytes per value byte; a second,
    ' much larger buffer covers any that might.
    For attempt = 1 To 2
        If attempt = 1 Then outCap = 2 * n + 64 Else outCap = 8 * n + 1024
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

' The QR Code check argument of a level: a number 0..4 as it is, or the
' letters L, M, Q, H as 1..4; anything else 5, which the library refuses.
Private Function QrLevel(ByVal Level As Variant) As Long
    Level = CellValue(Level)
    If IsEmpty(Level) Or IsNull(Level) Then Exit Function
    If VarType(Level) = vbString Then
        If IsNumeric(Level) Then
            QrLevel = CLng(Level)
        ElseIf Len(Trim$(Level)) = 1 And InStr(1, "LMQH", Trim$(Level), vbTextCompare) > 0 Then
            QrLevel = InStr(1, "LMQH", Trim$(Level), vbTextCompare)
        Else
            QrLevel = 5
        End If
    Else
        QrLevel = CLng(Level)
    End If
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

' The symbology code of a number or a name; -1, which the library refuses as
' an unknown symbology, for anything else.
Private Function SymbologyCode(ByVal Symbology As Variant) As Long
    Dim names As Variant, codes As Variant, i As Long
    Symbology = CellValue(Symbology)
    If IsEmpty(Symbology) Or IsNull(Symbology) Then
        SymbologyCode = -1
        Exit Function
    End If
    If VarType(Symbology) <> vbString Then
        SymbologyCode = CLng(Symbology)
        Exit Function
    End If
    names = Array("code39ascii", "code39", "i2of5", "codabar", "msi", "code93", _
                  "upca", "upce", "postnet", "ean8", "ean13", "code128", _
                  "gs1-128", "gtin13", "gtin8", "gtin12", "upce8", "itf14")
    codes = Array(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 16, 17, 18, 19, 20)
    For i = 0 To UBound(names) - LBound(names)
        If StrComp(Trim$(Symbology), names(LBound(names) + i), vbTextCompare) = 0 Then
            SymbologyCode = codes(LBound(codes) + i)
            Exit Function
        End If
    Next i
    If StrComp(Trim$(Symbology), "imb", vbTextCompare) = 0 Then
        SymbologyCode = 13
        Exit Function
    End If
    If StrComp(Trim$(Symbology), "qr", vbTextCompare) = 0 Then
        SymbologyCode = SYMBOLOGY_QR
        Exit Function
    End If
    If IsNumeric(Symbology) Then SymbologyCode = CLng(Symbology) Else SymbologyCode = -1
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

' The symbology whose fonts print a symbology's text: code 0 (Code 39 Full
' ASCII) prints in the Code 39 faces of code 1.
Private Function FontCode(ByVal sym As Long) As Long
    If sym = 0 Then FontCode = 1 Else FontCode = sym
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
