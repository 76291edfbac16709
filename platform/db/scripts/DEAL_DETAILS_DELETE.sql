-- A removed position or request; nothing is deleted when it changed meanwhile.
delete from jur.t_deal_details
 where id = :id
   and n_row_version = :n_row_version
returning id
