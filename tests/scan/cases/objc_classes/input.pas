{ Objective-Pascal classes, protocols and categories with their members. }
unit CocoaBits;

{$mode objfpc}{$H+}
{$modeswitch objectivec2}

interface

uses
  CocoaAll;

type
  NSLater = objcclass;
  NSExternalLater = objcclass external;
  NSNamedProtocolLater = objcprotocol external name 'NSNamedLater';

  { the protocol a view answers }
  TViewProtocol = objcprotocol external name 'TViewProtocol' (NSObjectProtocol)
  required
    procedure viewDidMove(sender: id); message 'viewDidMove:';
  optional
    function viewCanMove: Boolean; message 'viewCanMove';
    class function defaultSize: NSSize; message 'defaultSize';
  end;

  TBareProtocol = objcprotocol
    procedure ping; message 'ping';
  end;

  NSWindowExtras = objccategory external (NSWindow)
    function tabbingIdentifier: NSString; message 'tabbingIdentifier';
    procedure setTabbingIdentifier(id: NSString); message 'setTabbingIdentifier:';
  end;

  NSViewHelpers = objccategory external name 'NSViewHelpers' (NSView)
    function lclIsEnabled: Boolean; message 'lclIsEnabled';
  end;

  TViewExtension = objccategory(NSView, TViewProtocol)
    function lclFrame: NSRect; message 'lclFrame'; reintroduce;
    procedure lclSetFrame(const r: NSRect);
      message 'lclSetFrame:';
  end;

  NSAppearanceLike = objcclass external(NSObject)
    function name: NSString; message 'name';
    class function currentAppearance: NSAppearance; message 'currentAppearance';
  end;

  TCocoaButton = objcclass(NSButton, TViewProtocol)
  private
    FCallback: TObject;
    FClicks, FHolds: Integer;
  public
    procedure dealloc; override;
    function acceptsFirstResponder: Boolean; override;
    procedure actionButtonClick(sender: NSObject); message 'actionButtonClick:';
    procedure setState(astate: NSInteger;
      animate: Boolean); message 'setState:animate:';
    class function buttonWithTitle(title: NSString): id; message 'buttonWithTitle:';
    property Callback: TObject read FCallback write FCallback;
  end;

  TCocoaWindow =
    objcclass(NSWindow)
    procedure close; override;
  end;

  TPlain = class(TObject)
    procedure Run;
  end;

implementation

procedure TCocoaButton.dealloc;
begin
  inherited dealloc;
end;

procedure TCocoaButton.actionButtonClick(sender: NSObject);

  procedure Count;
  begin
    FClicks := FClicks + 1;
  end;

begin
  Count;
end;

function TViewExtension.lclFrame: NSRect;
begin
  Result := frame;
end;

end.
