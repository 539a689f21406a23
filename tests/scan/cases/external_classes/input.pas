{ Classes a unit imports from the Java class library }
unit JavaImports;

interface

type
  JLObject = class external 'java.lang' name 'Object'
  public
    constructor create(); overload;
    function toString(): JLString; overload; virtual;
  end;

  JAEventQueueItem = class external 'java.awt' name 'EventQueueItem' (JLObject)
  end;

  JAGraphics = class abstract external 'java.awt' name 'Graphics' (JLObject)
  strict protected
    constructor create(); overload;
  public
    procedure dispose(); overload; virtual; abstract;
  type
    InnerIndex = class sealed external 'java.util.concurrent' name 'Index' (JLObject)
    end;
  end;

  JAAudioClip = interface external 'java.applet' name 'AudioClip'
    procedure play(); overload;
  end;

implementation

end.
