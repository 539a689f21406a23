{ Nested types whose value starts on the next line, and fields whose type is an array of
  records: each record keeps the line of its name. }
unit NestedTypeLines;

interface

type
  TOuter = class
  public
    type
      TFlag =
        (fA, fB);
      TKind =
        (kA,
         kB);
      TInner =
        record
          X: Integer;
        end;
  private
    FGaps: array of record Lead, Tail: Byte; end;
    FTable: array[0..3] of packed record
      Count: Integer;
    end;
    FNext: Integer;
  end;

  TTop =
    (tA, tB);

var
  Lines: array of record
    Offset: Integer;
  end;
  Count: Integer;

implementation

end.
