{ A package: the units it requires and contains. }
package QuillTools;

{$R *.res}
{$ALIGN 8}
{$DESCRIPTION 'Quill tools'}
{$RUNONLY}
{$IMPLICITBUILD ON}

requires
  rtl,
  vcl,
  {$ifdef WITH_DB}dbrtl,{$endif}
  QuillCore;

contains
  Quill.Tools.Main in 'Quill.Tools.Main.pas',
  Quill.Tools.Reg in 'Quill.Tools.Reg.pas' {RegForm};

end.
