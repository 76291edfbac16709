-- One deal as it is stored now, in the list's shape: what a colleague saved
-- while the deal was open, for the editor's concurrent-edit dialog.
select r.*
  from jur.t_deals d
 cross join lateral jur.deal_row(d) r
 where d.id = :id
